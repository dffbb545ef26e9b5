// The three string members that a client calls from the key and focus events
// of its edit controls. They find the control through the client's forms
// runtime and read and write its properties by name.
#pragma once

#include <cstdint>

#include "forms/runtime/forms_runtime.h"
#include "frame/text_services.h"

namespace tarn {

// Case conversion of a key code: the character whose ANSI code it is, upper-
// or lower-cased, back as the ANSI code of the first character of the result.
// Codes outside 0 to 255 name no character and raise error 5.
int16_t UpperKeyCode(const TextServices& services, int16_t code);
int16_t LowerKeyCode(const TextServices& services, int16_t code);

// The key the focused control (Screen.ActiveControl) should receive so that
// every word of its text starts with a capital; 0 swallows a space typed after
// a space. Decided from the end of the text, not from the caret. Errors of the
// runtime pass unchanged.
int16_t InsertFirstUCase(const TextServices& services, FormsRuntime& runtime, int16_t SS);

// Selects the whole text of the active form's focused control. Each step that
// fails is skipped; nothing is reported.
void SelectAllText(FormsRuntime& runtime);

// Enter (13) becomes a queued Tab keystroke and the key is cancelled (0); any
// other key passes unchanged and nothing is queued.
int16_t ConvertRetToTab(KeystrokeQueue& keystrokes, int16_t KeyAscii);

}  // namespace tarn
