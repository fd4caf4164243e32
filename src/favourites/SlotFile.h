#pragma once

// The slot files of the favourites: "<slot>pagina.txt" in the favourites folder, two lines (the
// page number, then the caption of the slot's button), each ended by CR LF.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>

struct SlotLines {
    QString page;
    QString caption;
    bool operator==(const SlotLines &) const = default;
};

// The two lines of a slot file's bytes; whatever follows them is ignored. A line ends at CR LF, at
// a lone CR, at a lone LF (files edited by hand on Linux) or at the end of the bytes; a missing
// line is empty. The text is read as UTF-8 when both lines are valid UTF-8, and as Windows-1252
// otherwise, so files written in the Windows code page keep their accented letters.
SlotLines parseSlotFile(QByteArrayView bytes);

// The bytes of a slot file: both texts in UTF-8, each followed by CR LF. A line break within a
// text is written as a blank, so that the file always reads back as the same two lines.
QByteArray formatSlotFile(const QString &page, const QString &caption);

// The single-byte Windows code page of Western Europe. The five bytes it leaves undefined map to
// the control characters of the same number, as Windows itself maps them.
QString decodeWindows1252(QByteArrayView bytes);

// "4pagina.txt" for slot 4; the path of that file in `folder`.
QString slotFileName(int slot);
QString slotFilePath(const QString &folder, int slot);

// No slot file needs more; a larger one is read only this far.
constexpr qsizetype kSlotFileReadLimit = 1024 * 1024;

// The lines of the slot file at `path`, or nothing when the slot has no file: nothing of that
// name, something that is not a regular file (a folder, FIFO, socket or device; a symbolic link
// counts as what it points to), or a file that cannot be read. Never blocks on opening.
std::optional<SlotLines> readSlotFile(const QString &path);

struct SlotWriteError {
    QString reason; // in Italian, for the user
    QString detail; // for the log
};

// Writes the slot file of `slot` in `folder`, creating the folder (and its parents) when it is
// missing. The file is replaced atomically: after a failure the previous file is still whole.
// A symbolic link to a regular file is written through: its target is replaced and the link
// stays. Anything else at the slot's name (a folder, FIFO, socket or device, or a link to one, a
// broken link) is refused untouched. An existing file keeps its permission bits.
std::optional<SlotWriteError> writeSlotFile(const QString &folder, int slot, const QString &page,
                                            const QString &caption);
