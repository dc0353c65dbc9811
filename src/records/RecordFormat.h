// The ways a poll record is written: a line for people, CSV rows and JSON lines. One
// function per format, so both front ends write the same columns.
#pragma once

#include "records/PollRecord.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace celdara {

enum class TRecordFormat { Text, Csv, JsonLines };

// "text", "csv" or "jsonl"; nothing for any other name.
std::optional<TRecordFormat> RecordFormatOfName(std::string_view name);

// The first line of a new file in this format (the CSV column names); empty for the others.
std::string RecordHeader(TRecordFormat format);

// One record as one line, without the line end. A value the modem did not give is an empty
// CSV field, an absent or null JSON value, and left out of the text line.
std::string FormatRecord(TRecordFormat format, const TPollRecord& record);

// The column names of the CSV rows, in order.
const std::vector<std::string>& CsvColumns();

// Text from the modem is bytes: valid UTF-8 is kept, any other byte is taken as the
// Latin-1 character it stands for. The result is always valid UTF-8.
std::string TextAsUtf8(std::string_view bytes);

// UTF-8 text with every control character (C0, DEL and C1) written as a visible escape,
// "\x1b" for ESC, so that text from a modem cannot drive a terminal or break a line. Text
// records and CSV fields are written through it.
std::string VisibleText(std::string_view utf8);

} // namespace celdara
