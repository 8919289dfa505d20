#pragma once
// Basic types the whole program shares. Text is UTF-8 in std::string throughout.
#include <cstdint>
#include <string>

using String = std::string;
using AnsiString = std::string;
using Byte = std::uint8_t;
using Word = std::uint16_t;
using Cardinal = std::uint32_t;
using LongWord = std::uint32_t;
using Int64 = std::int64_t;
// A colour: 0x00BBGGRR, or a system colour (the high bit set and the COLOR_ index in the low
// byte).
using TColor = std::int32_t;
// The stage a long operation reports its progress in.
enum TProgressStage { psStarting, psRunning, psEnding };
