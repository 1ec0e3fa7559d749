// Draws the program's icon, once, for every size it is installed in and for the window
// icon compiled into the program. Run by the build:
//   hubquill_icon FOLDER SIZE...
// writes FOLDER/hubquill-SIZE.png for each size and FOLDER/hubquill.svg, all from the one
// drawing below: a blue rounded square with a white cross and an amber dot.

#include <QColor>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QRectF>

#include <cstdio>
#include <cstdlib>

namespace {

// On a grid of 64 units.
constexpr double kGrid = 64.0;
const QRectF kSquare(2, 2, 60, 60);
constexpr double kCornerRadius = 8;
const QRectF kUpright(26, 14, 13, 37);
const QRectF kCrossbar(14, 26, 37, 13);
const QRectF kDot(27, 27, 11, 11);
const QColor kBlue(0x1D, 0x5E, 0x9E);
const QColor kWhite(0xFF, 0xFF, 0xFF);
const QColor kAmber(0xF4, 0xB4, 0x00);

QImage draw(int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / kGrid, size / kGrid);
    painter.setPen(Qt::NoPen);
    painter.setBrush(kBlue);
    painter.drawRoundedRect(kSquare, kCornerRadius, kCornerRadius);
    painter.setBrush(kWhite);
    painter.drawRect(kUpright);
    painter.drawRect(kCrossbar);
    painter.setBrush(kAmber);
    painter.drawEllipse(kDot);
    return image;
}

QString rect(const QRectF& r, const QColor& color, double radius = 0)
{
    return QStringLiteral(R"(  <rect x="%1" y="%2" width="%3" height="%4" rx="%5" fill="%6"/>)")
               .arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height()).arg(radius)
               .arg(color.name()) +
           QLatin1Char('\n');
}

QString svg()
{
    return QStringLiteral(R"(<svg xmlns="http://www.w3.org/2000/svg" viewBox="0 0 64 64">)") +
           QLatin1Char('\n') + rect(kSquare, kBlue, kCornerRadius) + rect(kUpright, kWhite) +
           rect(kCrossbar, kWhite) +
           QStringLiteral(R"(  <circle cx="%1" cy="%2" r="%3" fill="%4"/>)")
               .arg(kDot.center().x()).arg(kDot.center().y()).arg(kDot.width() / 2)
               .arg(kAmber.name()) +
           QStringLiteral("\n</svg>\n");
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fputs("usage: hubquill_icon FOLDER SIZE...\n", stderr);
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    for (int at = 2; at < argc; ++at) {
        const int size = std::atoi(argv[at]);
        const QString path = QStringLiteral("%1/hubquill-%2.png").arg(folder).arg(size);
        if (size <= 0 || !draw(size).save(path)) {
            std::fprintf(stderr, "hubquill_icon: cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    QFile vector(folder + QStringLiteral("/hubquill.svg"));
    if (!vector.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        vector.write(svg().toUtf8()) < 0) {
        std::fprintf(stderr, "hubquill_icon: cannot write %s\n", qPrintable(vector.fileName()));
        return 1;
    }
    return 0;
}
