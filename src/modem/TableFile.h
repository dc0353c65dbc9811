// Whole-file reads and writes for the operator table that say why they failed, in the
// system's error numbers, so that the message to the user can name the reason.
#pragma once

#include <string>
#include <string_view>
#include <system_error>

namespace celdara {

// Reads the whole file into `bytes`. Fails only when the file cannot be opened: a read that
// breaks off afterwards gives the bytes that came before it, as a stream read does.
std::error_code ReadTableFile(const std::string& path, std::string& bytes);

// Creates or replaces the file with `bytes`; the error of the first step that failed.
std::error_code WriteTableFile(const std::string& path, std::string_view bytes);

} // namespace celdara
