// fuzz_byname.cpp - the toolkit's by-name API driven by fuzzed programs: controls of
// every class are created under fuzzed names and parents, their properties set and read
// with fuzzed names and values, events bound to handlers that destroy and refocus, and
// keys, characters and clicks sent through the scripted backend between drawn frames.
// Nothing may crash, hang, or touch memory outside a caller's value: values are passed
// in buffers of exactly their type's size, so the sanitizer sees any byte past them.
// Runs on the scripted backend with a real window and GL context (Xvfb when headless).
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "engine/engine.h"
#include "gui/gui.h"
#include "platform/test/test_platform.h"
#include "render/font.h"
#include "render/texture.h"

namespace {

const char* const kClasses[] = {"Button",      "CheckBox",  "ComboBox",  "Dialog",    "Frame",      "Label",
                                "Line",        "ListBox",   "MCListBox", "MLTextBox", "PictureBox", "ProgressBar",
                                "RadioButton", "ScrollBar", "Shape",     "Sheet",     "StatusBar",  "TextBox"};
// A small pool, so that operations meet the controls earlier ones made.
const char* const kNames[] = {"S", "A", "B", "C", "D", "E", "F", "G"};
const char* const kApiProperties[] = {"Visible", "x", "y", "w", "h", "TabStop"};

struct FuzzState {
    Texture* texture = nullptr;
    Surface* surface = nullptr;
    Font* font = nullptr;
    // What the bound handlers do when an event is raised: destroy or focus this name.
    std::string handlerTarget = "A";
    uint8_t handlerAction = 0;
};
FuzzState g_fuzz;

std::string PickName(FuzzedDataProvider& in) {
    if (in.ConsumeIntegralInRange(0, 15) == 0) return in.ConsumeRandomLengthString(40);
    return kNames[in.ConsumeIntegralInRange<size_t>(0, std::size(kNames) - 1)];
}

void HandlerEffect() {
    switch (g_fuzz.handlerAction % 4) {
        case 1:
            DestroyControl(g_fuzz.handlerTarget.c_str());
            break;
        case 2:
            SetFocusTo(g_fuzz.handlerTarget.c_str());
            break;
        case 3:
            SetControlProperty(g_fuzz.handlerTarget.c_str(), "Visible", ValBool(false));
            break;
        default:
            break;
    }
}
void OnPlain() { HandlerEffect(); }
void OnIndex(int32_t) { HandlerEffect(); }
void OnMotion(float, float) { HandlerEffect(); }

void BindSomeEvent(FuzzedDataProvider& in, const std::string& name) {
    Control* c = FindControl(name.c_str());
    if (!c || !c->cls || c->cls->events.empty()) return;
    const EventEntry& e = c->cls->events[in.ConsumeIntegralInRange<size_t>(0, c->cls->events.size() - 1)];
    const std::string event = e.name;
    // Each handler is bound with the parameter list its event is raised with.
    if (event == "MouseMove" || event == "Move" || event == "Size")
        BindControlEvent(name.c_str(), e.name, OnMotion);
    else if (event == "KeyDown" || event == "KeyUp" || event == "MouseDown" || event == "Click" ||
             event == "DoubleClick" || event == "Select" || event == "Action")
        BindControlEvent(name.c_str(), e.name, OnIndex);
    else
        BindControlEvent(name.c_str(), e.name, OnPlain);
}

// Sets one property with a value of exactly its type's size.
void SetSomeProperty(FuzzedDataProvider& in, const std::string& name) {
    Control* c = FindControl(name.c_str());
    const bool api = !c || !c->cls || c->cls->properties.empty() || in.ConsumeIntegralInRange(0, 5) == 0;
    if (api) {
        const char* prop = kApiProperties[in.ConsumeIntegralInRange<size_t>(0, std::size(kApiProperties) - 1)];
        std::vector<uint8_t> value = in.ConsumeBytes<uint8_t>(prop[0] == 'V' ? 1 : prop[0] == 'T' ? 2 : 4);
        value.resize(prop[0] == 'V' ? 1 : prop[0] == 'T' ? 2 : 4);
        if (prop[0] != 'V' && prop[0] != 'T') {  // keep sizes within what a screen holds
            float f = 0;
            std::memcpy(&f, value.data(), 4);
            if (!(f > -2000 && f < 2000)) f = 0;
            std::memcpy(value.data(), &f, 4);
        }
        SetControlProperty(name.c_str(), prop, value.data());
        return;
    }
    const PropertyEntry& p = c->cls->properties[in.ConsumeIntegralInRange<size_t>(0, c->cls->properties.size() - 1)];
    const std::string prop = p.name;              // the entry may go away with the control
    if (in.ConsumeIntegralInRange(0, 15) == 0) {  // a null value is refused or ignored, never read
        SetControlProperty(name.c_str(), prop.c_str(), nullptr);
        return;
    }
    switch (p.type) {
        case PROP_STRING: {
            const std::string text = in.ConsumeBool() ? PickName(in) : in.ConsumeRandomLengthString(300);
            SetControlProperty(name.c_str(), prop.c_str(), text.c_str());
            break;
        }
        case PROP_TEXTURE: {
            Texture* t = in.ConsumeBool() ? g_fuzz.texture : nullptr;
            SetControlProperty(name.c_str(), prop.c_str(), &t);
            break;
        }
        case PROP_SURFACE: {
            Surface* s = in.ConsumeBool() ? g_fuzz.surface : nullptr;
            SetControlProperty(name.c_str(), prop.c_str(), &s);
            break;
        }
        case PROP_FONT: {
            Font* f = in.ConsumeBool() ? g_fuzz.font : nullptr;
            SetControlProperty(name.c_str(), prop.c_str(), &f);
            break;
        }
        case PROP_FUNCTION:
            // An application's drawing function: a pointer, never fuzzed.
            break;
        case PROP_SKIN:
        case PROP_SCROLLBARSKIN: {
            // Skins hold pointers: give back one the control itself handed out.
            std::vector<uint8_t> skin(static_cast<size_t>(p.size));
            if (GetControlProperty(name.c_str(), prop.c_str(), skin.data()))
                SetControlProperty(name.c_str(), prop.c_str(), skin.data());
            break;
        }
        default: {
            std::vector<uint8_t> value = in.ConsumeBytes<uint8_t>(static_cast<size_t>(p.size));
            value.resize(static_cast<size_t>(p.size));
            if (p.type == PROP_FLOAT) {  // sizes and positions within what a screen holds
                float f = 0;
                std::memcpy(&f, value.data(), 4);
                if (!(f > -4000 && f < 4000)) f = 1;
                std::memcpy(value.data(), &f, 4);
            }
            SetControlProperty(name.c_str(), prop.c_str(), value.data());
        }
    }
}

// Reads one property into a buffer of exactly its size (a String: its length + 1).
void GetSomeProperty(FuzzedDataProvider& in, const std::string& name) {
    Control* c = FindControl(name.c_str());
    if (!c || !c->cls || c->cls->properties.empty() || in.ConsumeIntegralInRange(0, 5) == 0) {
        const char* prop = kApiProperties[in.ConsumeIntegralInRange<size_t>(0, std::size(kApiProperties) - 1)];
        std::vector<uint8_t> value(prop[0] == 'V' ? 1 : prop[0] == 'T' ? 2 : 4);
        GetControlProperty(name.c_str(), prop, value.data());
        return;
    }
    const PropertyEntry& p = c->cls->properties[in.ConsumeIntegralInRange<size_t>(0, c->cls->properties.size() - 1)];
    size_t size = static_cast<size_t>(p.size);
    if (p.type == PROP_STRING) size = static_cast<size_t>(std::max(0, c->GetProperty(p.name, nullptr))) + 1;
    std::vector<uint8_t> value(size);
    GetControlProperty(name.c_str(), p.name, value.data());
}

void SendInput(FuzzedDataProvider& in) {
    static const uint8_t kKeys[] = {VK_RETURN, VK_TAB,     VK_SPACE, VK_ESCAPE, VK_UP,     VK_DOWN,  VK_LEFT,
                                    VK_RIGHT,  VK_HOME,    VK_END,   VK_BACK,   VK_DELETE, VK_PRIOR, VK_NEXT,
                                    VK_SHIFT,  VK_CONTROL, 'A',      'C',       'V',       'X'};
    switch (in.ConsumeIntegralInRange(0, 3)) {
        case 0: {
            const uint8_t vk = kKeys[in.ConsumeIntegralInRange<size_t>(0, std::size(kKeys) - 1)];
            TestKeyDown(vk);
            TestKeyUp(vk);
            break;
        }
        case 1:
            TestChar(in.ConsumeIntegral<uint16_t>());
            break;
        case 2: {
            const int x = in.ConsumeIntegralInRange(0, 799), y = in.ConsumeIntegralInRange(0, 599);
            TestMouseButton(WM_LBUTTONDOWN, x, y);
            TestMouseButton(WM_LBUTTONUP, x, y);
            break;
        }
        default:
            TestWheel(in.ConsumeBool() ? 120 : -120);
            break;
    }
    EngineFrame();
}

void RunProgram(FuzzedDataProvider& in) {
    for (int step = 0; step < 48 && in.remaining_bytes() > 0; ++step) {
        switch (in.ConsumeIntegralInRange(0, 9)) {
            case 0:
            case 1: {
                const char* cls = kClasses[in.ConsumeIntegralInRange<size_t>(0, std::size(kClasses) - 1)];
                const std::string name = PickName(in), parent = PickName(in);
                const float x = in.ConsumeIntegralInRange(-50, 800), y = in.ConsumeIntegralInRange(-50, 600);
                const float w = in.ConsumeIntegralInRange(0, 400), h = in.ConsumeIntegralInRange(0, 300);
                CreateControl(cls, name.c_str(), parent.c_str(), x, y, w, h);
                break;
            }
            case 2:
            case 3:
                SetSomeProperty(in, PickName(in));
                break;
            case 4:
                GetSomeProperty(in, PickName(in));
                break;
            case 5:
                BindSomeEvent(in, PickName(in));
                break;
            case 6:
                g_fuzz.handlerTarget = PickName(in);
                g_fuzz.handlerAction = in.ConsumeIntegral<uint8_t>();
                break;
            case 7:
                DestroyControl(PickName(in).c_str());
                break;
            case 8:
                SetFocusTo(PickName(in).c_str());
                break;
            default:
                SendInput(in);
                break;
        }
    }
    EngineFrame();
}

// Back to one empty active sheet "S", with no input state left over.
void Reset() {
    PumpMessages();
    TestClearMessages();
    TestClearMessageBoxes();
    SetActiveSheet(nullptr);
    SetModalControl(nullptr);
    SetCapture(nullptr);
    SetOverlay(nullptr);
    HideToolTip();
    g_fuzz.handlerAction = 0;
    while (ControlCount() > 0) DestroyControl(ControlAt(0)->name);
    std::fill(std::begin(g_input.keys), std::end(g_input.keys), uint8_t(0));
    CreateTopControl("Sheet", "S", nullptr, 0, 0, 800, 600);
    SetActiveSheet("S");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    InstallGui();
    InitEngine("fuzz_byname");
    CreateEngineWindow(800, 600, 0);
    InitGL();
    Begin2D();
    g_fuzz.font = LoadFont(QK_BINARY_DIR "/zazovi_font.dsf");
    SetFont(g_fuzz.font);
    std::vector<uint8_t> rgba(40 * 30 * 4, 0x80);
    g_fuzz.texture = CreateTextureRGBA(rgba.data(), 40, 30, false);
    g_fuzz.surface = CreateSurfaceRGBA(rgba.data(), 40, 30);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    Reset();
    RunProgram(in);
    return 0;
}
