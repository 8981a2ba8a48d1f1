#include "filenames.h"

#include <QFile>
#include <QStringList>
#include <QTextCodec>
#include <sys/stat.h>

namespace {
// Length of the UTF-8 sequence a lead byte starts (0: not a lead byte), and
// the range its second byte must lie in (no overlong forms, no surrogates,
// nothing above U+10FFFF).
int sequenceLength(uchar lead, uchar *low, uchar *high)
{
    *low = 0x80;
    *high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF)
        return 2;
    if (lead >= 0xE0 && lead <= 0xEF) {
        if (lead == 0xE0)
            *low = 0xA0;
        if (lead == 0xED)
            *high = 0x9F;
        return 3;
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
        if (lead == 0xF0)
            *low = 0x90;
        if (lead == 0xF4)
            *high = 0x8F;
        return 4;
    }
    return 0;
}

// UTF-8 that keeps every other byte: a byte that does not begin a valid
// sequence becomes U+DC80 ... U+DCFF (a lone low surrogate, which valid
// UTF-8 never gives), and such a character turns back into its byte.
class KeepBytesCodec : public QTextCodec {
public:
    QByteArray name() const override { return QByteArrayLiteral("UTF-8 (bytes kept)"); }
    int mibEnum() const override { return -2027; }

protected:
    QString convertToUnicode(const char *in, int length, ConverterState *state) const override
    {
        QByteArray bytes;
        if (state && state->remainingChars > 0) {
            for (int k = 0; k < state->remainingChars; ++k)
                bytes.append(char(state->state_data[k]));
            state->remainingChars = 0;
        }
        bytes.append(in, length);
        QString out;
        out.reserve(bytes.size());
        int i = 0;
        while (i < bytes.size()) {
            const uchar b = uchar(bytes.at(i));
            if (b < 0x80) {
                out.append(QChar(b));
                ++i;
                continue;
            }
            uchar low = 0, high = 0;
            const int n = sequenceLength(b, &low, &high);
            int valid = n > 0 ? 1 : 0;
            while (valid > 0 && valid < n && i + valid < bytes.size()) {
                const uchar c = uchar(bytes.at(i + valid));
                const bool ok = valid == 1 ? (c >= low && c <= high) : (c >= 0x80 && c <= 0xBF);
                if (!ok)
                    break;
                ++valid;
            }
            if (n > 0 && valid < n && i + valid == bytes.size() && state) {
                // A sequence cut by the end of this piece: wait for the rest.
                for (int k = 0; k < valid; ++k)
                    state->state_data[k] = uchar(bytes.at(i + k));
                state->remainingChars = valid;
                break;
            }
            if (n == 0 || valid < n) {
                out.append(QChar(ushort(0xDC00 | b)));
                ++i;
                continue;
            }
            uint code = b & (0xFF >> (n + 1));
            for (int k = 1; k < n; ++k)
                code = (code << 6) | (uchar(bytes.at(i + k)) & 0x3F);
            if (QChar::requiresSurrogates(code)) {
                out.append(QChar(QChar::highSurrogate(code)));
                out.append(QChar(QChar::lowSurrogate(code)));
            } else {
                out.append(QChar(ushort(code)));
            }
            i += n;
        }
        return out;
    }

    QByteArray convertFromUnicode(const QChar *in, int length, ConverterState *) const override
    {
        QByteArray out;
        out.reserve(length * 3);
        for (int i = 0; i < length; ++i) {
            const ushort c = in[i].unicode();
            if (c >= 0xDC80 && c <= 0xDCFF) {
                out.append(char(c & 0xFF));
            } else if (QChar::isHighSurrogate(c) && i + 1 < length && in[i + 1].isLowSurrogate()) {
                out.append(QString(in + i, 2).toUtf8());
                ++i;
            } else if (QChar::isSurrogate(c)) {
                out.append('?');
            } else {
                out.append(QString(in + i, 1).toUtf8());
            }
        }
        return out;
    }
};

KeepBytesCodec *keepBytesCodec()
{
    static KeepBytesCodec *codec = new KeepBytesCodec; // Qt keeps the codecs it knows until the end
    return codec;
}

bool exists(const QByteArray &path)
{
    struct stat st;
    return ::lstat(path.constData(), &st) == 0;
}

// The GBK bytes of a name, or nothing when GBK cannot write it.
QByteArray gbkBytes(const QString &name)
{
    QTextCodec *gbk = QTextCodec::codecForName("GBK");
    if (!gbk)
        return QByteArray();
    QTextCodec::ConverterState state;
    const QByteArray bytes = gbk->fromUnicode(name.constData(), name.size(), &state);
    return state.invalidChars == 0 ? bytes : QByteArray();
}
} // namespace

namespace FileNames {
QString display(const QByteArray &nameBytes)
{
    // Short GBK names can be valid UTF-8 too ("桩" in GBK reads as a Hebrew
    // letter): UTF-8 wins only when every letter beyond ASCII it gives is one
    // a Chinese office would use (CJK, full-width forms, general punctuation).
    QTextCodec::ConverterState state;
    const QString utf8 = QTextCodec::codecForName("UTF-8")->toUnicode(nameBytes.constData(), nameBytes.size(), &state);
    bool plausible = state.invalidChars == 0;
    for (int i = 0; plausible && i < utf8.size(); ++i) {
        const ushort c = utf8.at(i).unicode();
        plausible = c < 0x80 || (c >= 0x2000 && c < 0x2070) || (c >= 0x2E80 && c < 0xA000) || (c >= 0xFF00 && c < 0xFFF0)
                 || (c >= 0xA0 && c < 0x180) || utf8.at(i).isSurrogate();
    }
    if (plausible)
        return utf8;
    QTextCodec::ConverterState gbkState;
    const QString gbk = QTextCodec::codecForName("GBK")->toUnicode(nameBytes.constData(), nameBytes.size(), &gbkState);
    return gbkState.invalidChars == 0 || state.invalidChars != 0 ? gbk : utf8;
}

QString shown(const QString &path)
{
    // Elsewhere (the instrument's GBK locale) the names are text already.
    if (QTextCodec::codecForLocale() != keepBytesCodec())
        return path;
    // No GBK byte is a '/', so the bytes split into the path's components.
    const QList<QByteArray> parts = QFile::encodeName(path).split('/');
    QStringList out;
    for (const QByteArray &part : parts)
        out << display(part);
    return out.join(QLatin1Char('/'));
}

void installOfficeFileNames()
{
    QTextCodec::setCodecForLocale(keepBytesCodec());
}

QString locate(const QString &typed)
{
    if (typed.isEmpty() || exists(QFile::encodeName(typed)))
        return typed;
    const QStringList parts = typed.split(QLatin1Char('/'));
    QByteArray path;
    bool found = true;
    for (int i = 0; i < parts.size(); ++i) {
        if (i > 0)
            path.append('/');
        const QString &part = parts.at(i);
        const QByteArray asTyped = QFile::encodeName(part);
        if (!found || part.isEmpty() || part == QLatin1String(".") || part == QLatin1String("..")
            || exists(path + asTyped)) {
            path.append(asTyped);
            continue;
        }
        const QByteArray gbk = gbkBytes(part);
        if (!gbk.isEmpty() && exists(path + gbk)) {
            path.append(gbk);
            continue;
        }
        path.append(asTyped);
        found = false;
    }
    return QFile::decodeName(path);
}
} // namespace FileNames
