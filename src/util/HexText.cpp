#include "util/HexText.h"

namespace celdara {

int HexDigitValue(char c, int defaultValue) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return defaultValue;
}

char HexDigitChar(int value) {
    if (value < 0 || value > 15)
        return '?';
    return "0123456789ABCDEF"[value];
}

std::string BytesToHexText(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() * 3);
    for (unsigned char b : bytes) {
        out += HexDigitChar(b >> 4);
        out += HexDigitChar(b & 0x0F);
        out += ' ';
    }
    return out;
}

namespace {
// One scan of the hex text; `emit` takes each byte. Run once to count, once to fill, so
// the output is allocated exactly once whatever the input.
template <typename Emit>
void ScanHexText(std::string_view hexText, Emit&& emit) {
    int pending = -1;
    for (char c : hexText) {
        int digit = HexDigitValue(c, -1);
        if (digit >= 0) {
            if (pending < 0) {
                pending = digit;
            } else {
                emit(static_cast<char>(pending << 4 | digit));
                pending = -1;
            }
            continue;
        }
        if (pending >= 0) {
            emit(static_cast<char>(pending));
            pending = -1;
        }
        if (static_cast<unsigned char>(c) > 32)
            emit(c);
    }
    if (pending >= 0)
        emit(static_cast<char>(pending));
}
} // namespace

std::string HexTextToBytes(std::string_view hexText) {
    std::size_t length = 0;
    ScanHexText(hexText, [&](char) { ++length; });
    std::string out;
    out.reserve(length);
    ScanHexText(hexText, [&](char b) { out += b; });
    return out;
}

} // namespace celdara
