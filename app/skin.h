// File: app/skin.h
// The window skin: the skin library SkinH_EL.dll written beside the executable when missing,
// loaded, and one built-in skin attached through its SkinH_AttachRes.
#pragma once

#include <cstdint>

// Writes the built-in skin library to <program directory>/SkinH_EL.dll unless a file of that name
// exists there already (whatever it holds: it is then used as it is). A failed write is silent.
void install_skin_library();

// Installs the library, then hands a fresh copy of built-in skin n (1 to 33; any other number an
// empty resource of length 0) to SkinH_AttachRes and frees the copy after the call. The library is
// loaded on the first call, from the program directory, else by its bare name, and stays loaded.
// False when it cannot be loaded or lacks SkinH_AttachRes: start-up cannot go on.
[[nodiscard]] bool apply_skin(int32_t n);

// The text shown (and written to standard error) when the skin library is unusable.
[[nodiscard]] const char* skin_library_error_text();

// Test seam: forget the loaded library (it stays mapped), so that the next apply_skin loads anew.
void forget_skin_library_for_test();
