// The text recogniser's own process: the program starts it on the first page to read and hands
// it pages through its standard input. It alone links the OCR engine, so the engine's libraries
// and memory stay out of the program until they are needed, the engine's OpenMP finds its thread
// limit in the environment it is started with (it reads it once, when its library loads, and the
// program's own Qt has loaded it long before), and a failure of the engine ends this process,
// never the program.
//
// Usage: pagiscopo-ocr LANGUAGE. Messages (native byte order, 32-bit integers):
//   in:  'P' width height pixels[width*height]  - a page, dark text on white, 8 bits a pixel
//        'C'                                    - forget the page being read
//   out: status count, then count times: left top right bottom length utf8[length]
//        status 0: read, 1: cancelled (a 'C' or a new page came), 2: the engine failed
// The process ends at the end of its input, or with exit status 2 when the engine cannot start.

#include <tesseract/baseapi.h>
#include <tesseract/ocrclass.h>
#include <tesseract/resultiterator.h>

#include <cstdint>
#include <cstdio>
#include <memory>
#include <poll.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace
{

bool readAll(void *data, size_t size)
{
    auto *bytes = static_cast<char *>(data);
    while (size > 0) {
        const ssize_t got = read(STDIN_FILENO, bytes, size);
        if (got <= 0) {
            return false;
        }
        bytes += got;
        size -= size_t(got);
    }
    return true;
}

void put(std::string &out, int32_t value)
{
    out.append(reinterpret_cast<const char *>(&value), sizeof value);
}

bool writeAll(const std::string &data)
{
    size_t done = 0;
    while (done < data.size()) {
        const ssize_t wrote = write(STDOUT_FILENO, data.data() + done, data.size() - done);
        if (wrote <= 0) {
            return false;
        }
        done += size_t(wrote);
    }
    return true;
}

// Anything more on the input, or its end, makes the page being read stale.
bool inputWaiting(void *, int)
{
    pollfd input{STDIN_FILENO, POLLIN, 0};
    return poll(&input, 1, 0) > 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: pagiscopo-ocr LANGUAGE\n");
        return 2;
    }
    tesseract::TessBaseAPI api;
    // Progress and warnings would go to the terminal of whoever started the program.
    api.SetVariable("debug_file", "/dev/null");
    if (api.Init(nullptr, argv[1], tesseract::OEM_LSTM_ONLY) != 0) {
        std::fprintf(stderr, "pagiscopo-ocr: the engine has no usable data for the language \"%s\"\n", argv[1]);
        return 2;
    }
    api.SetPageSegMode(tesseract::PSM_SINGLE_BLOCK);

    std::vector<unsigned char> pixels;
    for (;;) {
        char kind = 0;
        if (!readAll(&kind, 1)) {
            break;
        }
        if (kind == 'C') {
            continue;
        }
        int32_t size[2] = {0, 0};
        if (kind != 'P' || !readAll(size, sizeof size) || size[0] <= 0 || size[1] <= 0 || size[0] > 4096 ||
            size[1] > 4096) {
            std::fprintf(stderr, "pagiscopo-ocr: a message it does not know\n");
            return 2;
        }
        pixels.resize(size_t(size[0]) * size_t(size[1]));
        if (!readAll(pixels.data(), pixels.size())) {
            break;
        }
        api.SetImage(pixels.data(), size[0], size[1], 1, size[0]);
        // Screen pictures carry no resolution; this is the engine's own guess for that case.
        api.SetSourceResolution(70);
        tesseract::ETEXT_DESC monitor;
        monitor.cancel = inputWaiting;
        const int failed = api.Recognize(&monitor);
        std::string out;
        if (inputWaiting(nullptr, 0)) {
            put(out, 1);
            put(out, 0);
        } else if (failed != 0) {
            put(out, 2);
            put(out, 0);
        } else {
            std::string symbols;
            int32_t count = 0;
            std::unique_ptr<tesseract::ResultIterator> it(api.GetIterator());
            if (it) {
                do {
                    if (it->Empty(tesseract::RIL_SYMBOL)) {
                        continue;
                    }
                    const std::unique_ptr<char[]> text(it->GetUTF8Text(tesseract::RIL_SYMBOL));
                    int box[4];
                    if (!text || !it->BoundingBox(tesseract::RIL_SYMBOL, &box[0], &box[1], &box[2], &box[3])) {
                        continue;
                    }
                    const std::string utf8 = text.get();
                    for (const int edge : box) {
                        put(symbols, edge);
                    }
                    put(symbols, int32_t(utf8.size()));
                    symbols += utf8;
                    ++count;
                } while (it->Next(tesseract::RIL_SYMBOL));
            }
            put(out, 0);
            put(out, count);
            out += symbols;
        }
        api.Clear();
        if (!writeAll(out)) {
            break;
        }
    }
    api.End();
    return 0;
}
