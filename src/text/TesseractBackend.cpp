// The module that links libtesseract; see OcrBackend.h.

#include "text/OcrBackend.h"

#include <tesseract/baseapi.h>
#include <tesseract/ocrclass.h>
#include <tesseract/resultiterator.h>

#include <memory>

namespace
{

class TesseractBackend final : public ocr::Backend
{
public:
    ~TesseractBackend() override
    {
        if (m_ready) {
            m_api.End();
        }
    }

    std::string init(const char *language) override
    {
        // Its progress and warnings would go to the terminal of whoever started the program.
        m_api.SetVariable("debug_file", "/dev/null");
        if (m_api.Init(nullptr, language, tesseract::OEM_LSTM_ONLY) != 0) {
            return std::string("the engine has no usable data for the language \"") + language + '"';
        }
        m_api.SetPageSegMode(tesseract::PSM_SINGLE_BLOCK);
        m_ready = true;
        return {};
    }

    bool recognise(const unsigned char *gray, int width, int height, int bytesPerLine,
                   const std::function<bool()> &cancelled, std::vector<ocr::Symbol> *symbols,
                   std::string *error) override
    {
        if (!m_ready) {
            *error = "the engine is not initialised";
            return false;
        }
        m_api.SetImage(gray, width, height, 1, bytesPerLine);
        // Screen pictures carry no resolution; the engine's own guess for that case, said once.
        m_api.SetSourceResolution(70);
        tesseract::ETEXT_DESC monitor;
        monitor.cancel = [](void *self, int) { return (*static_cast<const std::function<bool()> *>(self))(); };
        monitor.cancel_this = const_cast<std::function<bool()> *>(&cancelled);
        const int failed = m_api.Recognize(&monitor);
        if (cancelled()) {
            m_api.Clear();
            return false;
        }
        if (failed != 0) {
            *error = "the engine could not read the page";
            m_api.Clear();
            return false;
        }
        std::unique_ptr<tesseract::ResultIterator> it(m_api.GetIterator());
        if (it) {
            do {
                if (it->Empty(tesseract::RIL_SYMBOL)) {
                    continue;
                }
                const std::unique_ptr<char[]> text(it->GetUTF8Text(tesseract::RIL_SYMBOL));
                ocr::Symbol symbol;
                if (!text || !it->BoundingBox(tesseract::RIL_SYMBOL, &symbol.left, &symbol.top, &symbol.right,
                                              &symbol.bottom)) {
                    continue;
                }
                symbol.utf8 = text.get();
                symbols->push_back(std::move(symbol));
            } while (it->Next(tesseract::RIL_SYMBOL));
        }
        m_api.Clear();
        return true;
    }

private:
    tesseract::TessBaseAPI m_api;
    bool m_ready = false;
};

} // namespace

extern "C" __attribute__((visibility("default"))) ocr::Backend *pagiscopo_ocr_create()
{
    return new TesseractBackend;
}
