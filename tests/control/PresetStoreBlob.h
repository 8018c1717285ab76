#pragma once

#include <QByteArray>

#include <optional>

namespace slm::test {

// Large, self-describing blobs: a torn or mixed write shows up as a wrong
// length, a wrong fill or a missing trailer.
inline QByteArray storeTestBlob(int generation)
{
    const qsizetype length = 200000 + (qint64(generation) * 7919) % 100000;
    QByteArray blob = "gen=" + QByteArray::number(generation) + ";";
    blob += QByteArray(length, static_cast<char>('a' + generation % 26));
    blob += ";end";
    return blob;
}

// The generation a blob was made for, if it is exactly such a blob.
inline std::optional<int> storeTestGeneration(const QByteArray& blob)
{
    if (!blob.startsWith("gen="))
        return std::nullopt;
    const qsizetype semicolon = blob.indexOf(';');
    bool ok = false;
    const int generation = blob.mid(4, semicolon - 4).toInt(&ok);
    if (!ok || generation < 0 || blob != storeTestBlob(generation))
        return std::nullopt;
    return generation;
}

} // namespace slm::test
