#pragma once

// Shared by the fuzz targets: the same code runs under libFuzzer (make fuzz) and in the corpus
// replay that make test builds with the normal compiler.

#include <QByteArray>
#include <QList>
#include <QtGlobal>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

// Failures a developer must look at: print what broke and abort, so that libFuzzer keeps the input
// and the replay test fails.
#define FUZZ_REQUIRE(condition, what)                                                                                  \
    do {                                                                                                               \
        if (!(condition)) {                                                                                            \
            std::fprintf(stderr, "fuzz check failed at %s:%d: %s (%s)\n", __FILE__, __LINE__, what, #condition);       \
            std::abort();                                                                                              \
        }                                                                                                              \
    } while (false)

// Millions of refused inputs would each log a warning; only fatal messages get through.
inline void silenceQtMessages()
{
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &, const QString &message) {
        if (type == QtFatalMsg) {
            std::fprintf(stderr, "%s\n", qPrintable(message));
            std::abort();
        }
    });
}

// The input cut at NUL bytes: the fields of a structured input (arguments, texts).
inline QList<QByteArray> fuzzFields(const uint8_t *data, size_t size)
{
    return QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size)).split('\0');
}
