// Draws the icons of the window, and the application icon at each size of the hicolor theme
// (hicolor/<n>x<n>/apps/trivox.png), into the directory given on the command line (default:
// the working directory). The PNGs are committed; rerun this after changing a drawing.

#include <QCoreApplication>
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QTextStream>
#include <QtMath>

#include <functional>

namespace {

const QColor BLUE(0x2F, 0x6F, 0xD6);
const QColor NAVY(0x1E, 0x3A, 0x5F);
const QColor SKY(0xD6, 0xE4, 0xF8);
const QColor ORANGE(0xF0, 0x8C, 0x2E);
const QColor WHITE(0xFF, 0xFF, 0xFF);

constexpr int ICON_SIZE = 64;

QPen strokePen(const QColor &color, qreal width)
{
    return QPen(color, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

void drawState(QPainter &p)
{
    const QPointF c(32, 35);
    const QRectF dial(c.x() - 24, c.y() - 24, 48, 48);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(SKY, 8, Qt::SolidLine, Qt::RoundCap));
    p.drawArc(dial, 225 * 16, -270 * 16);
    p.setPen(QPen(BLUE, 8, Qt::SolidLine, Qt::RoundCap));
    p.drawArc(dial, 225 * 16, -165 * 16);
    const qreal a = qDegreesToRadians(50.0);
    p.setPen(strokePen(ORANGE, 5));
    p.drawLine(c, c + QPointF(17 * qCos(a), -17 * qSin(a)));
    p.setPen(Qt::NoPen);
    p.setBrush(NAVY);
    p.drawEllipse(c, 6, 6);
}

void drawSettings(QPainter &p)
{
    const QPointF c(32, 32);
    QPainterPath gear;
    gear.addEllipse(c, 20, 20);
    for (int i = 0; i < 8; ++i) {
        QPainterPath tooth;
        tooth.addRoundedRect(QRectF(-5.5, -29, 11, 14), 2.5, 2.5);
        QTransform t;
        t.translate(c.x(), c.y());
        t.rotate(i * 45.0);
        gear = gear.united(t.map(tooth));
    }
    QPainterPath hole;
    hole.addEllipse(c, 8, 8);
    p.setPen(Qt::NoPen);
    p.setBrush(BLUE);
    p.drawPath(gear.subtracted(hole));
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(NAVY, 3));
    p.drawEllipse(c, 12.5, 12.5);
}

void drawDiag(QPainter &p)
{
    QPainterPath page;
    page.moveTo(10, 8);
    page.lineTo(34, 8);
    page.lineTo(44, 18);
    page.lineTo(44, 56);
    page.lineTo(10, 56);
    page.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(SKY);
    p.drawPath(page);
    p.setBrush(BLUE);
    QPainterPath fold;
    fold.moveTo(34, 8);
    fold.lineTo(44, 18);
    fold.lineTo(34, 18);
    fold.closeSubpath();
    p.drawPath(fold);
    p.setPen(strokePen(BLUE, 3.5));
    p.drawLine(QPointF(16, 16), QPointF(28, 16));
    p.drawLine(QPointF(16, 25), QPointF(38, 25));
    p.drawLine(QPointF(16, 34), QPointF(30, 34));
    p.drawLine(QPointF(16, 43), QPointF(26, 43));

    const QPointF lens(41, 41);
    p.setPen(strokePen(NAVY, 7));
    p.drawLine(lens + QPointF(8, 8), QPointF(57, 57));
    p.setPen(QPen(NAVY, 5));
    p.setBrush(WHITE);
    p.drawEllipse(lens, 11, 11);
    p.setPen(Qt::NoPen);
    p.setBrush(ORANGE);
    p.drawEllipse(lens, 5, 5);
}

void drawPlots(QPainter &p)
{
    p.setPen(Qt::NoPen);
    p.setBrush(SKY);
    p.drawRoundedRect(QRectF(8, 8, 48, 48), 5, 5);
    p.setPen(strokePen(NAVY, 4));
    p.drawLine(QPointF(12, 10), QPointF(12, 52));
    p.drawLine(QPointF(12, 52), QPointF(56, 52));
    QPainterPath line;
    line.moveTo(16, 42);
    line.lineTo(26, 30);
    line.lineTo(34, 36);
    line.lineTo(44, 20);
    line.lineTo(54, 26);
    p.setBrush(Qt::NoBrush);
    p.setPen(strokePen(BLUE, 5));
    p.drawPath(line);
    p.setPen(Qt::NoPen);
    p.setBrush(ORANGE);
    p.drawEllipse(QPointF(44, 20), 5, 5);
}

void drawAbout(QPainter &p)
{
    p.setPen(Qt::NoPen);
    p.setBrush(BLUE);
    p.drawEllipse(QPointF(32, 32), 28, 28);
    p.setBrush(WHITE);
    p.drawEllipse(QPointF(32, 18.5), 4.5, 4.5);
    p.drawRoundedRect(QRectF(27.5, 27, 9, 23), 3, 3);
}

void drawUpdate(QPainter &p)
{
    p.setPen(strokePen(NAVY, 3.5));
    for (int i = 0; i < 3; ++i) {
        const qreal at = 22 + i * 10;
        p.drawLine(QPointF(at, 6), QPointF(at, 14));
        p.drawLine(QPointF(at, 50), QPointF(at, 58));
        p.drawLine(QPointF(6, at), QPointF(14, at));
        p.drawLine(QPointF(50, at), QPointF(58, at));
    }
    p.setPen(Qt::NoPen);
    p.setBrush(NAVY);
    p.drawRoundedRect(QRectF(13, 13, 38, 38), 6, 6);
    p.setBrush(ORANGE);
    QPainterPath arrow;
    arrow.moveTo(32, 19);
    arrow.lineTo(43, 31);
    arrow.lineTo(36, 31);
    arrow.lineTo(36, 44);
    arrow.lineTo(28, 44);
    arrow.lineTo(28, 31);
    arrow.lineTo(21, 31);
    arrow.closeSubpath();
    p.drawPath(arrow);
}

void drawUpload(QPainter &p)
{
    p.setBrush(Qt::NoBrush);
    p.setPen(strokePen(NAVY, 6));
    QPainterPath tray;
    tray.moveTo(9, 38);
    tray.lineTo(9, 54);
    tray.lineTo(55, 54);
    tray.lineTo(55, 38);
    p.drawPath(tray);
    p.setPen(strokePen(BLUE, 7));
    p.drawLine(QPointF(32, 7), QPointF(32, 34));
    p.setPen(Qt::NoPen);
    p.setBrush(BLUE);
    QPainterPath head;
    head.moveTo(18, 28);
    head.lineTo(46, 28);
    head.lineTo(32, 45);
    head.closeSubpath();
    p.drawPath(head);
}

void drawSave(QPainter &p)
{
    QPainterPath body;
    body.moveTo(14, 8);
    body.lineTo(46, 8);
    body.lineTo(56, 18);
    body.lineTo(56, 50);
    body.quadTo(56, 56, 50, 56);
    body.lineTo(14, 56);
    body.quadTo(8, 56, 8, 50);
    body.lineTo(8, 14);
    body.quadTo(8, 8, 14, 8);
    p.setPen(Qt::NoPen);
    p.setBrush(BLUE);
    p.drawPath(body);
    p.setBrush(SKY);
    p.drawRect(QRectF(18, 8, 24, 16));
    p.setBrush(NAVY);
    p.drawRect(QRectF(33, 11, 5, 10));
    p.setBrush(WHITE);
    p.drawRoundedRect(QRectF(15, 33, 34, 23), 2, 2);
    p.setPen(strokePen(SKY, 3));
    p.drawLine(QPointF(21, 41), QPointF(43, 41));
    p.drawLine(QPointF(21, 48), QPointF(37, 48));
}

void drawConnect(QPainter &p)
{
    // A mains plug with its cable, drawn upright and turned by 45 degrees.
    p.translate(32, 32);
    p.rotate(45);
    p.scale(0.8, 0.8);
    p.translate(-32, -30);

    p.setPen(Qt::NoPen);
    p.setBrush(ORANGE);
    p.drawRoundedRect(QRectF(22, 0, 6, 16), 2.5, 2.5);
    p.drawRoundedRect(QRectF(36, 0, 6, 16), 2.5, 2.5);
    p.setBrush(BLUE);
    QPainterPath plug;
    plug.moveTo(14, 14);
    plug.lineTo(50, 14);
    plug.lineTo(50, 28);
    plug.quadTo(50, 40, 38, 42);
    plug.lineTo(26, 42);
    plug.quadTo(14, 40, 14, 28);
    plug.closeSubpath();
    p.drawPath(plug);
    p.setBrush(NAVY);
    p.drawRect(QRectF(27, 41, 10, 7));
    p.setBrush(Qt::NoBrush);
    p.setPen(strokePen(NAVY, 5));
    p.drawLine(QPointF(32, 48), QPointF(32, 64));
}

// Letters of the wordmark, stroked on a baseline; returns the x after the letter.
struct Wordmark {
    QPainter &p;
    qreal base;
    qreal x;
    qreal gap;

    void T()
    {
        p.drawLine(QPointF(x, base - 34), QPointF(x + 24, base - 34));
        p.drawLine(QPointF(x + 12, base - 34), QPointF(x + 12, base - 3));
        x += 24 + gap;
    }
    void r()
    {
        p.drawLine(QPointF(x, base - 22), QPointF(x, base - 3));
        QPainterPath arc;
        arc.moveTo(x, base - 12);
        arc.cubicTo(x, base - 20, x + 5, base - 23, x + 13, base - 22);
        p.drawPath(arc);
        x += 13 + gap;
    }
    void i()
    {
        p.drawLine(QPointF(x, base - 22), QPointF(x, base - 3));
        const QBrush dot(p.pen().color());
        p.save();
        p.setPen(Qt::NoPen);
        p.setBrush(dot);
        p.drawEllipse(QPointF(x, base - 33), 4, 4);
        p.restore();
        x += gap;
    }
    void v()
    {
        QPainterPath path;
        path.moveTo(x, base - 22);
        path.lineTo(x + 9.5, base - 3);
        path.lineTo(x + 19, base - 22);
        p.drawPath(path);
        x += 19 + gap;
    }
    void o()
    {
        p.drawEllipse(QPointF(x + 10, base - 12.5), 10, 10);
        x += 20 + gap;
    }
    void xLetter()
    {
        p.drawLine(QPointF(x, base - 22), QPointF(x + 18, base - 3));
        p.drawLine(QPointF(x + 18, base - 22), QPointF(x, base - 3));
        x += 18;
    }
};

// The emblem of the logo and of the application icon: a transmitter mast sending on both
// sides, which also reads as a "T". weight > 1 thickens the strokes, so that the mast and the
// waves still read at 16 to 32 pixels; below that the inner waves would merge with the mast.
void drawEmblem(QPainter &p, const QPointF &c, qreal weight, bool innerWaves)
{
    p.setPen(Qt::NoPen);
    p.setBrush(BLUE);
    p.drawEllipse(c, 30, 30);
    p.setPen(strokePen(WHITE, 5 * weight));
    p.drawLine(c + QPointF(0, -6), c + QPointF(0, 20));
    p.drawLine(c + QPointF(-7, 20), c + QPointF(7, 20));
    p.setPen(Qt::NoPen);
    p.setBrush(WHITE);
    p.drawEllipse(c + QPointF(0, -9), 5 * weight, 5 * weight);
    p.setBrush(Qt::NoBrush);
    const QPointF top = c + QPointF(0, -9);
    if (innerWaves) {
        p.setPen(QPen(WHITE, 3.5 * weight, Qt::SolidLine, Qt::RoundCap));
        p.drawArc(QRectF(top - QPointF(11, 11), QSizeF(22, 22)), -40 * 16, 80 * 16);
        p.drawArc(QRectF(top - QPointF(11, 11), QSizeF(22, 22)), 140 * 16, 80 * 16);
    }
    p.setPen(QPen(ORANGE, 3.5 * weight, Qt::SolidLine, Qt::RoundCap));
    p.drawArc(QRectF(top - QPointF(19, 19), QSizeF(38, 38)), -35 * 16, 70 * 16);
    p.drawArc(QRectF(top - QPointF(19, 19), QSizeF(38, 38)), 145 * 16, 70 * 16);
}

QImage drawLogo()
{
    constexpr int width = 184;
    constexpr int height = 115;
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);

    drawEmblem(p, QPointF(width / 2.0, 33), 1, true);

    // Wordmark "Trivox", centred under the emblem.
    constexpr qreal gap = 9;
    constexpr qreal wordWidth = 24 + 13 + 0 + 19 + 20 + 18 + 5 * gap;
    p.setBrush(Qt::NoBrush);
    Wordmark w{p, 110, (width - wordWidth) / 2, gap};
    p.setPen(strokePen(NAVY, 6));
    w.T();
    w.r();
    w.i();
    p.setPen(strokePen(BLUE, 6));
    w.v();
    w.o();
    w.xLetter();
    return image;
}

// The application icon for the desktop's menus and task bars, drawn for each size rather
// than scaled from one image: the small ones get bolder strokes.
QImage drawAppIcon(int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 64.0, size / 64.0);
    drawEmblem(p, QPointF(32, 32), size <= 24 ? 1.6 : size <= 32 ? 1.3 : 1, size > 24);
    return image;
}

QImage drawIcon(const std::function<void(QPainter &)> &draw)
{
    QImage image(ICON_SIZE, ICON_SIZE, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    draw(p);
    return image;
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    const QDir out(args.size() > 1 ? args.at(1) : QStringLiteral("."));
    QTextStream err(stderr);
    if (!out.exists()) {
        err << "no such directory: " << out.path() << '\n';
        return 1;
    }

    const QList<QPair<QString, QImage>> images = {
        {QStringLiteral("state.png"), drawIcon(drawState)},
        {QStringLiteral("settings.png"), drawIcon(drawSettings)},
        {QStringLiteral("diag.png"), drawIcon(drawDiag)},
        {QStringLiteral("plots.png"), drawIcon(drawPlots)},
        {QStringLiteral("about.png"), drawIcon(drawAbout)},
        {QStringLiteral("update.png"), drawIcon(drawUpdate)},
        {QStringLiteral("upload.png"), drawIcon(drawUpload)},
        {QStringLiteral("save.png"), drawIcon(drawSave)},
        {QStringLiteral("connect.png"), drawIcon(drawConnect)},
        {QStringLiteral("Trivox_logo.png"), drawLogo()},
    };
    QList<QPair<QString, QImage>> all = images;
    // Laid out as the hicolor theme is, so that the install copies the tree as it is.
    for (const int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QString dir = QStringLiteral("hicolor/%1x%1/apps").arg(size);
        if (!out.mkpath(dir)) {
            err << "cannot create " << out.filePath(dir) << '\n';
            return 1;
        }
        all.append({dir + QStringLiteral("/trivox.png"), drawAppIcon(size)});
    }
    for (const auto &image : all) {
        const QString path = out.filePath(image.first);
        if (!image.second.save(path, "PNG")) {
            err << "cannot write " << path << '\n';
            return 1;
        }
    }
    return 0;
}
