#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <memory>

// SHA-256 through OpenSSL, which uses the processor's SHA instructions where it has them: a list of a hundred
// megabytes is hashed in a fraction of the time a portable implementation takes.
class Sha256
{
public:
    Sha256();
    ~Sha256();
    Sha256(const Sha256 &) = delete;
    Sha256 &operator=(const Sha256 &) = delete;

    void add(const char *data, size_t size);
    // The digest in lower-case hex; the object is spent afterwards.
    QByteArray hex();

    static QByteArray hexOf(QByteArrayView bytes);

private:
    struct Context;
    std::unique_ptr<Context> m_context;
};
