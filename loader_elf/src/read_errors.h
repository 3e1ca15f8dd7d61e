// The recoverable-error handler of the debug-information readers. A reader
// that finds damage it can step past (a unit cut short, an offset outside
// its section, a header that declares what the format does not) hands one
// text naming the place to the handler and goes on with the next unit.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>

#include "byte_cursor.h"
#include "ldr_types.h"

namespace tarnel {

// Gets "<file>: <section>+0x1c: <what>".
using ReadErrorHandler = std::function<void(std::string text)>;

class ReadErrors {
public:
    ReadErrors() = default;
    ReadErrors(std::string imagePath, ReadErrorHandler handler)
        : imagePath_(std::move(imagePath)), handler_(std::move(handler))
    {}

    // What a reader found wrong at an offset of a section.
    void At(std::string_view section, uint64_t offset, std::string_view what) const
    {
        Report(PlaceText(imagePath_, section, offset, what));
    }
    // The cursor's failure, at its place.
    void Failed(const ByteCursor& c) const { Report(c.ErrorText(imagePath_)); }

    // A message that reports no damage, with the image's path.
    void Note(std::string_view what) const
    {
        Report(imagePath_.empty() ? std::string(what) : imagePath_ + ": " + std::string(what));
    }

private:
    void Report(std::string text) const
    {
        if (handler_)
            handler_(std::move(text));
    }

    std::string imagePath_;
    ReadErrorHandler handler_;
};

// The damage a reader finds in one section: each is reported with its
// place, and LDR_E_READ becomes the reader's result.
struct ReaderDamage {
    const ReadErrors& errors;
    std::string_view section;
    LdrResult result = LDR_OK;

    void Failed(const ByteCursor& c)
    {
        errors.Failed(c);
        result = LDR_E_READ;
    }
    void At(uint64_t offset, const char* what)
    {
        errors.At(section, offset, what);
        result = LDR_E_READ;
    }
};

}  // namespace tarnel
