#include "viewer/ModPNG.h"

#include "viewer/ViewerLog.h"

#include <QFile>
#include <QList>

#include <png.h>

#include <algorithm>
#include <csetjmp>
#include <cstring>
#include <memory>

// libpng reports errors by longjmp. Only the functions marked below call setjmp, and neither they
// nor anything libpng calls back holds an object with a destructor: every C++ object (the picture,
// the row pointers, the log lines) lives in decodePagePng, which a longjmp never leaves.

namespace
{

// No chunk but the image data needs more than a few hundred bytes for the pixels (a palette and
// its transparency); a text or profile that claims more than this is refused before it is read.
constexpr png_alloc_size_t kMaxChunkBytes = 1024 * 1024;
// Text, profiles and unknown chunks are all dropped (see below), so none is ever kept; the cap
// stays low should that change.
constexpr png_uint_32 kMaxCachedChunks = 32;

// After the last row libpng inflates whatever is left of the image stream, to see that it ends
// there, and it discards the output however long that goes on: 4 MiB of download could keep it busy
// for seconds with gigabytes of zeros. So while it reads the last row and that end, it gets the
// row's bytes and this much more; deflate turns a byte into at most about a KiB, and no encoder
// leaves more than a few bytes after the rows. The slack covers libpng's read-ahead of 8 KiB.
constexpr size_t kReadSlackAfterLastRow = 16 * 1024;

// Plain data only: it is reached from libpng's callbacks.
struct PngInput {
    const png_byte *data = nullptr;
    size_t size = 0;
    size_t at = 0;
    size_t end = 0; // reading stops here; the whole file but while the last row is read
};

struct PngReport {
    const QString *what = nullptr;
    bool quiet = false; // a decode ahead of the load logs nothing: the load decodes a refused file anew
    char error[256] = {};
    char lastWarning[256] = {};
};

void copyMessage(char (&to)[256], png_const_charp message)
{
    std::strncpy(to, message ? message : "unknown error", sizeof to - 1);
    to[sizeof to - 1] = '\0';
}

void readInput(png_structp png, png_bytep out, size_t length)
{
    auto *input = static_cast<PngInput *>(png_get_io_ptr(png));
    if (length > input->end - input->at) {
        png_error(png, input->end < input->size ? "the image data goes on past its last row"
                                                : "the file ends inside a chunk");
    }
    std::memcpy(out, input->data + input->at, length);
    input->at += length;
}

[[noreturn]] void onError(png_structp png, png_const_charp message)
{
    copyMessage(static_cast<PngReport *>(png_get_error_ptr(png))->error, message);
    png_longjmp(png, 1);
}

void onWarning(png_structp png, png_const_charp message)
{
    auto *report = static_cast<PngReport *>(png_get_error_ptr(png));
    copyMessage(report->lastWarning, message);
    // Returns normally to libpng, so a log line may be built here.
    if (!report->quiet) {
        qCDebug(lcViewer).noquote() << "page image" << *report->what << "- libpng warns:" << message;
    }
}

struct PngHeader {
    png_uint_32 width = 0;
    png_uint_32 height = 0;
    bool alpha = false;
    // A palette picture (every real page is one) is decoded as its indices and coloured through
    // its table afterwards: far cheaper than having libpng expand each pixel to four bytes.
    bool indexed = false;
    QList<QRgb> colours;
};

// Calls setjmp. Reads every chunk up to the image data, which is where libpng refuses what breaks
// the format or the limits set on it. No row buffer exists yet.
bool readHeader(png_structp png, png_infop info, PngHeader *header)
{
    if (setjmp(png_jmpbuf(png))) {
        return false;
    }
    png_read_info(png, info);
    header->width = png_get_image_width(png, info);
    header->height = png_get_image_height(png, info);
    header->alpha =
        (png_get_color_type(png, info) & PNG_COLOR_MASK_ALPHA) != 0 || png_get_valid(png, info, PNG_INFO_tRNS) != 0;
    header->indexed = png_get_color_type(png, info) == PNG_COLOR_TYPE_PALETTE;
    if (header->indexed) {
        png_colorp palette = nullptr;
        int entries = 0;
        png_get_PLTE(png, info, &palette, &entries);
        png_bytep alphas = nullptr;
        int transparent = 0;
        if (png_get_valid(png, info, PNG_INFO_tRNS) != 0) {
            png_get_tRNS(png, info, &alphas, &transparent, nullptr);
        }
        // An index past the palette is refused by libpng as the rows are read; until then it is black.
        header->colours.fill(qRgb(0, 0, 0), 256);
        for (int i = 0; i < entries && i < 256; ++i) {
            const int a = i < transparent ? alphas[i] : 255;
            header->colours[i] = qRgba(palette[i].red, palette[i].green, palette[i].blue, a);
        }
    }
    return true;
}

// Calls setjmp. Decodes every row straight into `rows` as 32-bit pixels in QRgb's byte order, then
// reads on to IEND so that a damaged end of the image stream is refused too. The loop's counters
// are never read after a longjmp, so they need not be volatile.
bool readPixels(png_structp png, png_infop info, bool alpha, bool indexed, png_bytepp rows, PngInput *input)
{
    if (setjmp(png_jmpbuf(png))) {
        return false;
    }
    const int bytesPerPixel = indexed ? 1 : 4;
    if (indexed) {
        // One byte an index, whatever the bit depth.
        png_set_packing(png);
    } else {
        // Grey below 8 bits and a transparent colour or level all become 8-bit RGB(A).
        png_set_expand(png);
    png_set_gray_to_rgb(png);
    png_set_scale_16(png);
#if Q_BYTE_ORDER == Q_LITTLE_ENDIAN
    png_set_bgr(png);
    if (!alpha) {
        png_set_filler(png, 0xff, PNG_FILLER_AFTER);
    }
#else
    if (alpha) {
        png_set_swap_alpha(png);
    } else {
        png_set_filler(png, 0xff, PNG_FILLER_BEFORE);
    }
#endif
    }
    const int passes = png_set_interlace_handling(png);
    png_read_update_info(png, info);
    const png_uint_32 width = png_get_image_width(png, info);
    const png_uint_32 height = png_get_image_height(png, info);
    if (png_get_bit_depth(png, info) != 8 || png_get_channels(png, info) != bytesPerPixel ||
        png_get_rowbytes(png, info) != size_t(width) * size_t(bytesPerPixel)) {
        png_error(png, "the samples do not come out as 8-bit indices or RGBA");
    }
    // Each pass of the interlacing fills in its pixels of the rows the earlier passes began.
    for (int pass = 0; pass < passes; ++pass) {
        for (png_uint_32 y = 0; y < height; ++y) {
            if (pass == passes - 1 && y == height - 1) {
                constexpr size_t kMaxBytesPerPixel = 8; // 16-bit RGBA
                const size_t lastRowBytes = 1 + size_t(width) * kMaxBytesPerPixel;
                input->end = std::min(input->size, input->at + lastRowBytes + kReadSlackAfterLastRow);
            }
            png_read_row(png, rows[y], nullptr);
        }
    }
    input->end = input->size;
    png_read_end(png, info);
    return true;
}

// Owns libpng's two structures for decodePagePng, whatever way it returns.
struct PngReadStructs {
    png_structp png = nullptr;
    png_infop info = nullptr;
    ~PngReadStructs() { png_destroy_read_struct(&png, &info, nullptr); }
};

QImage decode(QByteArray bytes, const QString &what, bool quiet)
{
    PngReport report;
    report.what = &what;
    report.quiet = quiet;
    const auto refuse = [&](const QString &why) {
        if (quiet) {
            return QImage();
        }
        QString line = why;
        if (report.lastWarning[0] != '\0') {
            line += QStringLiteral(" (after libpng's warning: %1)").arg(QString::fromUtf8(report.lastWarning));
        }
        qCWarning(lcViewer).noquote() << "page image" << what << "refused:" << line;
        return QImage();
    };

    constexpr qsizetype kSignatureSize = 8;
    if (bytes.size() < kSignatureSize ||
        png_sig_cmp(reinterpret_cast<png_const_bytep>(bytes.constData()), 0, size_t(kSignatureSize)) != 0) {
        return refuse(QStringLiteral("no PNG signature"));
    }
    // One of the two checks libpng leaves to us (the other is kReadSlackAfterLastRow): it skips the
    // chunks it is told to drop (below) without asking whether IHDR came before them.
    constexpr qsizetype kFirstChunkType = kSignatureSize + 4;
    if (bytes.size() < kFirstChunkType + 4 || QByteArrayView(bytes).sliced(kFirstChunkType, 4) != "IHDR") {
        return refuse(QStringLiteral("the first chunk is not IHDR"));
    }

    PngReadStructs structs;
    structs.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &report, onError, onWarning);
    if (!structs.png || !(structs.info = png_create_info_struct(structs.png))) {
        return refuse(QStringLiteral("libpng cannot start"));
    }
    png_structp png = structs.png;

    PngInput input;
    input.data = reinterpret_cast<const png_byte *>(bytes.constData());
    input.size = size_t(bytes.size());
    input.end = input.size;
    png_set_read_fn(png, &input, readInput);

    png_set_user_limits(png, kMaxPictureSide, kMaxPictureSide);
    png_set_chunk_malloc_max(png, kMaxChunkBytes);
    png_set_chunk_cache_max(png, kMaxCachedChunks);
    // What libpng would otherwise let pass with a warning - image data left over after the last row,
    // a wrong Adler-32 sum, a second run of image data, a chunk too large - is a damaged page.
    png_set_benign_errors(png, 0);
    // Only IHDR, PLTE, tRNS, IDAT and IEND decide the pixels as the server drew them. Gamma and colour
    // profiles are dropped too: the picture shows its samples as they are, as any plain decoder
    // would give them. Text and profiles are also compressed payloads that would cost time and memory.
    png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, nullptr, -1);

    PngHeader header;
    if (!readHeader(png, structs.info, &header)) {
        return refuse(QString::fromUtf8(report.error));
    }
    if (qint64(header.width) * header.height > kMaxPicturePixels) {
        return refuse(QStringLiteral("the picture is %1 x %2 pixels, beyond the bounds of a page (%3 pixels)")
                          .arg(header.width)
                          .arg(header.height)
                          .arg(kMaxPicturePixels));
    }

    const QImage::Format format = header.alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32;
    QImage image(int(header.width), int(header.height), header.indexed ? QImage::Format_Indexed8 : format);
    if (image.isNull()) {
        return refuse(QStringLiteral("no memory for the picture"));
    }
    const auto rows = std::make_unique<png_bytep[]>(header.height);
    for (png_uint_32 y = 0; y < header.height; ++y) {
        rows[y] = image.scanLine(int(y));
    }
    if (!readPixels(png, structs.info, header.alpha, header.indexed, rows.get(), &input)) {
        return refuse(QString::fromUtf8(report.error));
    }
    if (header.indexed) {
        image.setColorTable(header.colours);
        image.convertTo(format);
    }
    return image;
}

} // namespace

QImage LoadPNGPicture(const QString &path)
{
    return LoadPNGPicture(path, {});
}

QImage LoadPNGPicture(const QString &path, const DecodedAhead &ahead)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        qCWarning(lcViewer) << "page image" << path << "cannot be read:" << file.errorString();
        return {};
    }
    if (file.size() > kMaxPageFileBytes) {
        qCWarning(lcViewer) << "page image" << path << "has" << file.size()
                            << "bytes, more than any page - not decoded";
        return {};
    }
    const QByteArray bytes = file.readAll();
    if (!ahead.picture.isNull() && bytes == ahead.bytes) {
        return ahead.picture;
    }
    return decode(bytes, path, false);
}

QImage decodePagePng(QByteArray bytes, const QString &what)
{
    return decode(std::move(bytes), what, false);
}

DecodedAhead decodeAhead(QByteArray bytes)
{
    static const QString what = QStringLiteral("decoded ahead of its load");
    QImage picture = decode(bytes, what, true);
    return {std::move(bytes), std::move(picture)};
}
