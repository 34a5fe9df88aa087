// project_journal.h - writes into several of a project's files at once, all or none even
// when killed, through the journal zazovi.journal at the project's root
// (PlatReplaceFiles), and what the next writer does with a write that was interrupted.
// The editor, loctool and every feature that writes several files at once use this.
#pragma once

#include <string>
#include <vector>

#include "editor/text_store.h"
#include "platform/platform.h"

constexpr const char* kJournalFile = "zazovi.journal";

// Replaces the files (paths in the documented form, "Texts\French\menu.loc", relative to
// the project in the working directory) all or none. The caller holds the project's lock.
StoreResult ReplaceProjectFiles(const std::vector<PlatFileWrite>& files);
// For the program that has just taken the project's lock, before it reads anything:
// finishes a write that was interrupted once its new files were complete, or undoes one
// that was not. Empty when there was none; else what was done, for the user.
std::string FinishInterruptedWrite();
// For a program that only reads: a warning when a write did not finish (it was
// interrupted, or is under way); empty otherwise.
std::string InterruptedWriteWarning();
