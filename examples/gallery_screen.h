// gallery_screen.h - the toolkit gallery: four sheets that show every control class
// with its main properties set, built through the by-name API like any application
// screen. The gallery program and the gallery tests share this code.
#pragma once

#include <cstdint>

// The sheets, in tab order.
enum GallerySheet : int {
    GALLERY_BUTTONS = 0,   // Button in its styles, CheckBox, RadioButton groups in two Frames
    GALLERY_LISTS = 1,     // ListBox (single and multiple selection), ComboBox, MCListBox
    GALLERY_TEXT = 2,      // TextBox in its three formats, Label, MLTextBox
    GALLERY_PICTURES = 3,  // PictureBox, ProgressBar, ScrollBar, Shape, Line, Dialog
    GALLERY_SHEET_COUNT = 4,
};

// Control name of each sheet ("GalleryButtons", ...).
const char* GallerySheetName(int sheet);

// Builds all sheets with the current font and makes the first one active. Needs the
// GL context (the pictures are uploaded as surfaces). Calling it again rebuilds the
// gallery from scratch.
void BuildGallery();

// Makes a sheet active and marks its tab; out-of-range values are ignored.
void ShowGallerySheet(int sheet);

// Destroys the gallery's controls and frees its pictures (before ShutdownEngine, while
// the GL context still exists).
void FreeGallery();
