#pragma once

// The text recogniser as the program loads it, from a module of its own that alone links the OCR
// engine: the engine and its libraries come into memory on the first page to read, not at
// start-up, and the thread limit of the engine's OpenMP is set before that library reads it.

#include <functional>
#include <string>
#include <vector>

namespace ocr
{

// One character the engine read, with its box in the picture's pixels (right and bottom
// exclusive).
struct Symbol {
    std::string utf8;
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

class Backend
{
public:
    virtual ~Backend() = default;
    // Loads the engine's data for `language` from its default place; an empty answer is success,
    // anything else says what failed.
    virtual std::string init(const char *language) = 0;
    // Reads a page of dark text on white (8 bits a pixel) as one block of text. `cancelled` is
    // asked now and then; a true answer ends the reading early, with false.
    virtual bool recognise(const unsigned char *gray, int width, int height, int bytesPerLine,
                           const std::function<bool()> &cancelled, std::vector<Symbol> *symbols,
                           std::string *error) = 0;
};

} // namespace ocr

// The module's one entry point.
extern "C" {
using PagiscopoOcrCreate = ocr::Backend *(*)();
ocr::Backend *pagiscopo_ocr_create();
}
