// A readable text of any form definition stream, decoded from the value
// tags alone (no class tables): one property per line with its tag, Binary
// payloads summarised by kind (picture, bitmap, icon, WAVE) with their key
// facts. Not part of the program: the skr_formdump tool, the form reader's
// fuzz target and the dump's tests link it.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace skr {

// Appends the text of the stream to out. Returns false when the stream is
// bad; the last line then reads "error at offset N: <message>".
bool DumpFormStream(std::span<const uint8_t> bytes, std::string& out);

// One line about a Binary payload: its length, kind and key facts.
std::string DescribeBinary(std::span<const uint8_t> payload);

}  // namespace skr
