#pragma once
#include <QByteArray>
#include <QString>
#include <chrono>
#include <functional>

namespace slip {

// --- Encoding of text files ------------------------------------------------
// Exchange files and the server's pages are GBK, the code page the format
// files have always travelled in, without a byte-order mark.

// GBK when every character has a GBK code; otherwise the whole text in
// GB18030 (a superset that gives GBK's characters the same bytes and codes
// every other character too, e.g. U+20000). Whichever it is, DecodeText reads
// the bytes back as the same text; a text that neither gives back (a lone
// surrogate, a short GBK text that is valid UTF-8 too), or a platform
// without these encodings, gets UTF-8 with a byte-order mark.
QByteArray EncodeText(const QString& text);

// UTF-8 when the bytes start with the UTF-8 byte-order mark (which is
// dropped) or are valid UTF-8 throughout (plain ASCII included); otherwise
// GB18030, which reads a GBK file the same except for the few two-byte
// codes GBK leaves to private-use characters; GBK for a file holding GBK's
// one-byte euro sign. A GBK text
// that happens to be valid UTF-8 as well reads as UTF-8: rare for Chinese text
// of any length, and the price of reading files written by UTF-8 editors.
QString DecodeText(const QByteArray& bytes);

// The server's pages are read as the server writes them, in the Chinese ANSI
// code page (GB18030, GBK's superset), even where the bytes happen to be
// valid UTF-8 too; only a page that starts with the UTF-8 byte-order mark is
// UTF-8.
QString DecodeAnsiText(const QByteArray& bytes);

// --- Writing --------------------------------------------------------------

struct TextWriteRetry {
    int attempts = 31;
    // After the failed attempt number `renameAfter` (counted from 0), and
    // after twice that, "1" is appended to the path: a file locked for long is
    // written beside it.
    int renameAfter = 10;
    std::chrono::milliseconds pause{30};
    // Called with the number of attempts so far after each failed one: the
    // file's holder can be told to let go.
    std::function<void(int attempts)> afterFailedAttempt;
};

struct TextWriteResult {
    bool ok = false;
    QString path;       // the path actually written (may end in "1" or "11")
    QString error;      // for the operator when !ok
    int attempts = 0;
};

// Writes the text, encoded by EncodeText, as one whole file (SaveBytes),
// repeating with the event loop running between attempts until one succeeds. With the defaults: attempts 0 to 10 write to path,
// 11 to 20 to path + "1", 21 to 30 to path + "11". Success is only reported
// for a file that is there; `path` says which name it has.
TextWriteResult WriteTextFileRetry(const QString& text, const QString& path,
                                   const TextWriteRetry& retry = {});

// --- Reading --------------------------------------------------------------

struct TextReadRetry {
    int attempts = 100;
    std::chrono::milliseconds pause{10};        // before every attempt
    std::chrono::milliseconds emptyPause{30};   // after reading an empty file
    qint64 maxBytes = 64 * 1024 * 1024;         // no exchange file comes near this
    // Called with the number of attempts so far after each one that found no
    // text: the file's producer can be told to go on.
    std::function<void(int attempts)> afterFailedAttempt;
};

struct TextReadResult {
    bool ok = false;
    QString text;
    QString error;      // OpenDownloadError(path), when !ok
    int attempts = 0;
};

// "无法打开下载文档：" CR LF and the path: a file to import that can't be had.
QString OpenDownloadError(const QString& path);

// Reads the whole file, decoded by DecodeText off the window's thread, retrying while it is missing,
// unreadable or empty (a file still being produced). With deleteAfter the
// file is deleted after a non-empty read (a failing delete is passed over).
// An empty or unreadable file after every attempt gives !ok and the error.
TextReadResult ReadTextFile(const QString& path, bool deleteAfter, const TextReadRetry& retry = {});

} // namespace slip
