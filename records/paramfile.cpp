#include "paramfile.h"

#include "atomicfile.h"
#include "holeacceptance.h"
#include "appdir.h"
#include "projectfolder.h"
#include "recordstyle.h"

#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QtDebug>
#include <type_traits>

namespace {
constexpr int kStoredColors = 7;
constexpr int kStoredFonts = 4;

QDataStream &operator<<(QDataStream &s, const SharedText &t) { return s << t.get(); }

QDataStream &operator>>(QDataStream &s, SharedText &t)
{
    QString v;
    s >> v;
    t = v;
    return s;
}

template <typename T>
QDataStream &operator<<(QDataStream &s, const SharedValue<T> &v)
{
    return s << T(v);
}

template <typename T>
QDataStream &operator>>(QDataStream &s, SharedValue<T> &v)
{
    T x{};
    s >> x;
    v = x;
    return s;
}

// The sampling mode is stored as its text in the language on show (the
// file's layout); the record holds its code, read back from the text in
// either language.
template <typename Info>
struct ModeItem {
    Info *info;
};

QDataStream &operator<<(QDataStream &s, const ModeItem<const CtrlInfo> &m)
{
    return s << SampleModes::text(m.info->sampleMode);
}

QDataStream &operator>>(QDataStream &s, ModeItem<CtrlInfo> &m)
{
    QString text;
    s >> text;
    m.info->sampleMode = SampleModes::codeOf(text);
    return s;
}

// Colours are written as the record keeps them (ctrlinfo.h) and read
// through QColor, so that what a file holds comes back as QColor has always
// taken it.
QDataStream &operator>>(QDataStream &s, StoredColor &c)
{
    QColor read;
    s >> read;
    c = toStoredColor(read);
    return s;
}

// A font is stored as the bytes the record keeps (those of a QFont in this
// stream version), with no length before them.
template <typename Bytes>
struct FontItem {
    Bytes *bytes;
};

QDataStream &operator<<(QDataStream &s, const FontItem<const QByteArray> &f)
{
    s.writeRawData(f.bytes->constData(), f.bytes->size());
    return s;
}

QDataStream &operator>>(QDataStream &s, FontItem<QByteArray> &f)
{
    QFont read;
    s >> read;
    *f.bytes = toFontBytes(read);
    return s;
}

void prepareStream(QDataStream &s)
{
    s.setVersion(QDataStream::Qt_4_0);
    s.setByteOrder(QDataStream::BigEndian);
    // Stream version 7 writes floats in 32 bits whatever this says; it is set
    // so that the intent survives a change of stream version.
    s.setFloatingPointPrecision(QDataStream::SinglePrecision);
}

// Visits the stored items in file order; Info is CtrlInfo or const CtrlInfo.
template <typename Info, typename Op>
void forEachItem(Info &info, Op item)
{
    item(info.paramVersion);
    item(info.projectName);
    item(info.projectPath);
    item(info.testUnit);
    item(info.constructionUnit);
    item(info.tester);
    item(info.testDate);
    item(info.holeNo);
    item(info.holeDepth);
    item(info.moveDistance);
    item(info.maxDepth);
    item(info.elevation);
    item(info.holeDiameter);
    item(info.offsetAngle);
    item(info.wheelD);
    item(info.lineD);
    for (int i = 0; i < kStoredColors; ++i)
        item(info.colors[size_t(i)]);
    item(info.displayFlag);
    using FontBytes = std::conditional_t<std::is_const<Info>::value, const QByteArray, QByteArray>;
    for (int i = 0; i < kStoredFonts; ++i) {
        FontItem<FontBytes> font{&info.fonts[size_t(i)]};
        item(font);
    }
    item(info.brightness);
    item(info.screensaverSeconds);
    item(info.curHoleName);
    item(info.lastHoleNo);
    ModeItem<Info> mode{&info};
    item(mode);
    item(info.spareValue1);
    item(info.spareValue2);
    item(info.winchSpeed);
    item(info.savedFlag);
}

// The set-up's acceptance basis and measuring position follow the last item
// of the older layout, where a reader of that layout has stopped. They travel
// as one byte array, so that a damaged or foreign tail costs only them:
//   QString "ACPT", qint32 version (1), qint32 design value mm,
//   QString code, QString pile type, qint32 position code.
// The verdict fields belong to a judged test and stay in its hole file.
const QString kBasisTag = QStringLiteral("ACPT");
constexpr qint32 kBasisVersion = 1;

QByteArray encodeBasis(const HoleAcceptance &a)
{
    QByteArray bytes;
    QDataStream s(&bytes, QIODevice::WriteOnly);
    prepareStream(s);
    s << kBasisTag << kBasisVersion << qint32(a.designLimitMm) << a.code << a.pileType << qint32(a.position);
    return bytes;
}

// The basis read from the tail; no basis when there is none or it is damaged.
HoleAcceptance decodeBasis(const QByteArray &bytes)
{
    QDataStream s(bytes);
    prepareStream(s);
    QString tag;
    qint32 version = 0;
    HoleAcceptance a;
    qint32 design = 0;
    qint32 position = 0;
    s >> tag >> version >> design >> a.code >> a.pileType >> position;
    if (s.status() != QDataStream::Ok || tag != kBasisTag || version < kBasisVersion)
        return HoleAcceptance();
    a.designLimitMm = qMax(design, 0);
    a.position = position >= 0 && position <= MeasuringPosition::Last ? position : MeasuringPosition::Unnamed;
    return a;
}

void readBasisTail(QDataStream &s, CtrlInfo &info)
{
    info.acceptance = HoleAcceptance();
    if (s.atEnd())
        return; // a file of the older layout
    QByteArray tail;
    s >> tail;
    if (s.status() == QDataStream::Ok)
        info.acceptance = decodeBasis(tail);
    // Stale or foreign bytes after the last item never cost the items.
    s.resetStatus();
}

void applyScreenFonts(CtrlInfo &info)
{
    static const int large[8] = {17, 28, 26, 16, 15, 14, 13, 13};
    static const int small[8] = {16, 28, 24, 16, 15, 14, 13, 13};
    const int *sizes = int32_t(info.largeScreen) ? large : small;
    for (int i = 0; i < 8; ++i)
        info.fonts[size_t(i)] = streamedFont(QStringLiteral("yaheikr"), sizes[i]);
}
} // namespace

QString testParamFilePath() { return QKRVCommomUtils::appPath() + QStringLiteral("/ZPV_CZL.ini"); }

int loadTestParams(CtrlInfo &info)
{
    info.dataDir = QKRVCommomUtils::appPath() + QLatin1Char('/') + info.dataDirName.get();
    QDir().mkpath(info.dataDir.get());

    QFile f(testParamFilePath());
    if (!f.open(QIODevice::ReadOnly)) {
        info.resetToDefaults();
    } else {
        QDataStream s(&f);
        prepareStream(s);
        QString version;
        s >> version;
        if (version != info.paramVersion.get()) {
            f.close();
            QFile::remove(testParamFilePath());
            info.resetToDefaults();
            return -1;
        }
        // Into a copy first: a file cut short (a failed write, a full disk)
        // would otherwise leave zero depths, a zero move distance and empty
        // names in the record.
        CtrlInfo read(info);
        f.seek(0);
        forEachItem(read, [&s](auto &field) { s >> field; });
        if (s.status() == QDataStream::Ok)
            readBasisTail(s, read);
        QString why;
        if (s.status() == QDataStream::Ok && !isSafeProjectFolder(read.projectPath.get(), &why)) {
            // A forged or damaged file must not send the saves anywhere else.
            qWarning().noquote() << QStringLiteral("%1: the project folder \"%2\" %3; the defaults are used")
                                        .arg(testParamFilePath(), read.projectPath.get(), why);
            info.resetToDefaults();
        } else if (s.status() == QDataStream::Ok) {
            info = read;
            info.followBasicConfig();
        } else {
            info.resetToDefaults();
        }
    }
    applyScreenFonts(info);
    return 1;
}

bool saveTestParams(const CtrlInfo &info, QString *errorMessage)
{
    QByteArray bytes;
    {
        QDataStream s(&bytes, QIODevice::WriteOnly);
        prepareStream(s);
        forEachItem(info, [&s](const auto &field) { s << field; });
        s << encodeBasis(info.acceptance);
    }
    CAtomicFileWriter w(testParamFilePath());
    if (w.open() && w.write(bytes) && w.commit())
        return true;
    if (errorMessage)
        *errorMessage = w.errorString();
    return false;
}
