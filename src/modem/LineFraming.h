// Where the modem's next line ends in the receive buffer. A line ends at a carriage return;
// a line feed ends one too when no carriage return came before it (modems that frame with LF
// alone), while the LF of a CR LF pair begins the next line and is trimmed away there, as
// it always was. A line that does not end within kMaxLineBytes is handed on cut at that
// length, so that a line that never ends neither grows without bound nor costs more with
// every chunk: the search resumes where it stopped, as long as the buffer's front is still
// the one searched (a buffer emptied and filled anew, or cut at its front by someone else,
// is searched afresh).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace celdara {

class TLineFraming {
public:
    // Far beyond any AT reply line.
    static constexpr std::size_t kMaxLineBytes = 4096;

    struct TClaim {
        std::size_t Length = 0; // bytes of the buffer's front that form the line; 0: none yet
        bool Cut = false;       // the line had no end within kMaxLineBytes
    };

    // The line at the front of `buffer`; a claimed line is taken off the buffer's front
    // before the next call.
    TClaim Next(std::string_view buffer);

    // Bytes looked at so far, for tests that check the work stays in proportion to the data.
    std::uint64_t ScannedBytes() const { return scanned_; }

private:
    // Remembers the searched bytes' first and last few, to know them again.
    void Remember(std::string_view buffer);
    bool StillSearched(std::string_view buffer) const;

    std::size_t searched_ = 0; // bytes of the front known to hold no line end
    std::string head_, tail_;  // the first and the last bytes of those
    std::uint64_t scanned_ = 0;
};

} // namespace celdara
