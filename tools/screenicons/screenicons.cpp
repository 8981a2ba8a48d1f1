// Renders the measurement screen's button icons: one line-art glyph per
// command, in the colour variants the two themes use. The PNGs are kept in
// the repository; this program is how they were made.

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QtMath>
#include <cstdio>
#include <functional>

namespace {
constexpr int kSize = 48;

using Glyph = std::function<void(QPainter &)>;

void gear(QPainter &p)
{
    QPainterPath teeth;
    for (int i = 0; i < 8; ++i) {
        p.save();
        p.translate(24, 24);
        p.rotate(i * 45.0);
        p.drawLine(QPointF(0, -13), QPointF(0, -19));
        p.restore();
    }
    p.drawEllipse(QPointF(24, 24), 12, 12);
    p.drawEllipse(QPointF(24, 24), 4.5, 4.5);
}

void sample(QPainter &p)
{
    // A pulse trace: what the probe reads.
    QPainterPath path(QPointF(5, 28));
    path.lineTo(14, 28);
    path.lineTo(19, 12);
    path.lineTo(26, 38);
    path.lineTo(31, 20);
    path.lineTo(35, 28);
    path.lineTo(43, 28);
    p.drawPath(path);
}

void move(QPainter &p)
{
    // Raise the probe by one step.
    p.drawLine(QPointF(24, 40), QPointF(24, 10));
    p.drawLine(QPointF(14, 20), QPointF(24, 10));
    p.drawLine(QPointF(34, 20), QPointF(24, 10));
    p.drawLine(QPointF(12, 42), QPointF(36, 42));
}

void document(QPainter &p)
{
    QPainterPath path(QPointF(11, 6));
    path.lineTo(29, 6);
    path.lineTo(37, 14);
    path.lineTo(37, 42);
    path.lineTo(11, 42);
    path.closeSubpath();
    p.drawPath(path);
    p.drawLine(QPointF(29, 6), QPointF(29, 14));
    p.drawLine(QPointF(29, 14), QPointF(37, 14));
}

void newFile(QPainter &p)
{
    document(p);
    p.drawLine(QPointF(24, 21), QPointF(24, 35));
    p.drawLine(QPointF(17, 28), QPointF(31, 28));
}

void folder(QPainter &p)
{
    QPainterPath path(QPointF(6, 12));
    path.lineTo(18, 12);
    path.lineTo(22, 16);
    path.lineTo(42, 16);
    path.lineTo(42, 38);
    path.lineTo(6, 38);
    path.closeSubpath();
    p.drawPath(path);
    p.drawLine(QPointF(6, 22), QPointF(42, 22));
}

void judge(QPainter &p)
{
    // A depth ruler with a tick: mark where the sediment begins.
    p.drawRoundedRect(QRectF(8, 8, 32, 32), 4, 4);
    QPainterPath check(QPointF(15, 25));
    check.lineTo(22, 32);
    check.lineTo(34, 17);
    p.drawPath(check);
}

void info(QPainter &p)
{
    p.drawEllipse(QPointF(24, 24), 17, 17);
    p.drawLine(QPointF(24, 21), QPointF(24, 33));
    QPen dot = p.pen();
    dot.setWidthF(4.5);
    p.save();
    p.setPen(dot);
    p.drawPoint(QPointF(24, 15));
    p.restore();
}

void back(QPainter &p)
{
    // Leave: an arrow out of a door frame.
    QPainterPath frame(QPointF(26, 8));
    frame.lineTo(10, 8);
    frame.lineTo(10, 40);
    frame.lineTo(26, 40);
    p.drawPath(frame);
    p.drawLine(QPointF(18, 24), QPointF(40, 24));
    p.drawLine(QPointF(32, 16), QPointF(40, 24));
    p.drawLine(QPointF(32, 32), QPointF(40, 24));
}

// The window icon: a probe hanging on its cable in a hole.
bool renderAppIcon(const QString &path)
{
    QImage img(kSize, kSize, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x47, 0xA3, 0xF8));
    p.drawRoundedRect(QRectF(1, 1, 46, 46), 9, 9);
    QPen pen(Qt::white);
    pen.setWidthF(3.0);
    pen.setCapStyle(Qt::RoundCap);
    p.setPen(pen);
    p.drawLine(QPointF(10, 12), QPointF(38, 12));
    p.drawLine(QPointF(24, 12), QPointF(24, 26));
    p.setBrush(Qt::white);
    p.drawRoundedRect(QRectF(20, 26, 8, 13), 3, 3);
    p.end();
    return img.save(path, "ICO");
}

bool render(const QString &dir, const QString &name, const QString &colourName, const QColor &colour,
            const Glyph &glyph)
{
    QImage img(kSize, kSize, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QPen pen(colour);
    pen.setWidthF(3.0);
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    glyph(p);
    p.end();
    const QString path = dir + QLatin1Char('/') + name + QLatin1Char('-') + colourName + QStringLiteral(".png");
    return img.save(path, "PNG");
}
}

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: screenicons <resources folder>\n");
        return 2;
    }
    const QString root = QString::fromLocal8Bit(argv[1]);
    const QString dir = root + QStringLiteral("/btn-icon");
    QDir().mkpath(dir);
    QDir().mkpath(root + QStringLiteral("/images"));
    if (!renderAppIcon(root + QStringLiteral("/images/icon.ico"))) {
        std::fprintf(stderr, "cannot write the window icon\n");
        return 1;
    }
    const QList<QPair<QString, Glyph>> glyphs = {
        {QStringLiteral("BtnSet"), gear},     {QStringLiteral("BtnSample"), sample},
        {QStringLiteral("BtnMove"), move},    {QStringLiteral("BtnNew"), newFile},
        {QStringLiteral("BtnSave"), folder},  {QStringLiteral("BtnFile"), folder},
        {QStringLiteral("BtnJudge"), judge},  {QStringLiteral("BtnInfo"), info},
        {QStringLiteral("BtnBack"), back},
    };
    const QList<QPair<QString, QColor>> colours = {
        {QStringLiteral("blue"), QColor(0x32, 0x7C, 0xFF)},
        {QStringLiteral("purple"), QColor(0x7B, 0x5C, 0xE6)},
        {QStringLiteral("black"), QColor(0x30, 0x33, 0x3A)},
        {QStringLiteral("white"), QColor(0xFF, 0xFF, 0xFF)},
    };
    for (const auto &g : glyphs) {
        for (const auto &c : colours) {
            if (!render(dir, g.first, c.first, c.second, g.second)) {
                std::fprintf(stderr, "cannot write %s\n", qPrintable(g.first));
                return 1;
            }
        }
    }
    return 0;
}
