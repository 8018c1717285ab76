#pragma once

#include <QByteArray>

namespace slm::test {

// Large blobs whose generation fixes their length and fill, so a torn or
// mixed write cannot pass for a whole one.
inline QByteArray storeTestBlob(int generation)
{
    const qsizetype length = 200000 + (qint64(generation) * 7919) % 100000;
    return "gen=" + QByteArray::number(generation) + ";" + QByteArray(length, char('a' + generation % 26)) + ";end";
}

// The generation of a whole blob, else -1.
inline int storeTestGeneration(const QByteArray& blob)
{
    bool ok = false;
    const int generation = blob.mid(4, blob.indexOf(';') - 4).toInt(&ok);
    return ok && generation >= 0 && blob == storeTestBlob(generation) ? generation : -1;
}

} // namespace slm::test
