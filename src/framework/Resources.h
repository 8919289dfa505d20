#pragma once
// The program's compiled-in resources: named bitmaps (BMP file images) and named strings,
// registered at start-up by the code that owns them and looked up by name, case-insensitively.
#include "platform/WinTypes.h"
#include "rtl/Exception.h"

#include <cstddef>
#include <span>

KORVID_EXCEPTION(EResNotFound, Exception);

// The one module of the program; resource calls accept it and any other instance alike.
constexpr HINSTANCE HInstance = 1;

namespace resources {

// Registers a bitmap under name; data must hold a whole BMP file and stay alive (static data).
// A later registration of the same name replaces the earlier one.
void RegisterBitmap(const String& name, std::span<const Byte> data);
void RegisterString(const String& name, const String& text);
// Registers an icon under name; data must hold a whole ICO file and stay alive.
void RegisterIcon(const String& name, std::span<const Byte> data);

// The registered bytes, or an empty span when there is no bitmap of that name.
std::span<const Byte> FindBitmap(const String& name);
// The registered icon file, or an empty span when there is no icon of that name.
std::span<const Byte> FindIcon(const String& name);
bool HasString(const String& name);
// Raises EResNotFound "Resource NAME not found" when there is no such string.
String LoadString(const String& name);

// Registers at static initialisation: `static resources::Registration r{"NAME", data};`
struct Registration {
    Registration(const char* name, std::span<const Byte> bitmap) { RegisterBitmap(name, bitmap); }
    Registration(const char* name, const char* text) { RegisterString(name, text); }
};
// `static resources::IconRegistration r{"MAINICON", data};`
struct IconRegistration {
    IconRegistration(const char* name, std::span<const Byte> icon) { RegisterIcon(name, icon); }
};

} // namespace resources
