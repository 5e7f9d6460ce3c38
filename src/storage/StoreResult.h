#pragma once
#include <QString>

namespace slip {

// What a storage operation answers: done, or the text to tell the operator.
struct StoreResult {
    bool ok = true;
    QString error;

    static StoreResult Ok() { return {}; }
    static StoreResult Failed(const QString& text) { return {false, text}; }
    explicit operator bool() const { return ok; }
};

} // namespace slip
