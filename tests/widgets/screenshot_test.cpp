// Pictures of the controls for a person to look at: set CELDARA_SHOTS_DIR to a folder and the
// graph (with the main window's colours) and every gauge kind are written there as PNG files.
#include "widgets/TrkwXPGraph.h"
#include "widgets/VTolmGauge.h"

#include <QDir>
#include <QImage>
#include <QPainter>
#include <cmath>
#include <gtest/gtest.h>

namespace celdara::widgets {
namespace {

QString ShotsDir() {
    return qEnvironmentVariable("CELDARA_SHOTS_DIR");
}

bool Save(const QImage& image, const QString& name) {
    const QString path = QDir(ShotsDir()).filePath(name);
    return image.save(path, "PNG");
}

// A signal that wanders like a real one, with a dropout where the modem did not answer.
int SampleSignal(int i) {
    if (i >= 180 && i < 186)
        return 0;
    const double v = 55 + 12 * std::sin(i / 17.0) + 6 * std::sin(i / 4.3);
    return static_cast<int>(v);
}

TEST(Screenshots, GraphAsInTheMainWindow) {
    if (ShotsDir().isEmpty())
        GTEST_SKIP() << "CELDARA_SHOTS_DIR not set";
    ASSERT_TRUE(QDir().mkpath(ShotsDir()));

    QWidget window;
    window.resize(547, 135);
    QPalette pal = window.palette();
    pal.setColor(QPalette::Window, pal.color(QPalette::Button));
    window.setPalette(pal);
    auto* graph = new TrkwXPGraph(&window);
    graph->setObjectName(QStringLiteral("rkwXPGraph1"));
    graph->setGeometry(0, 0, 547, 135);
    QFont font;
    font.setPixelSize(11);
    graph->SetGraphFont(font, QColor(0, 255, 0));
    graph->SetColor(window.palette().color(QPalette::Button));
    graph->SetBackGround(Qt::black);
    graph->SetColor75(QColor(0, 255, 0));
    graph->SetColorMax(QColor(0, 255, 0));
    graph->SetUsageCaption(QStringLiteral("Signal"));
    graph->SetHistoryCaption(QStringLiteral("Signal History"));
    graph->SetRefreshInterval(30000);
    for (int i = 0; i < 400; ++i)
        graph->SetUsageValue(SampleSignal(i));
    window.show();
    EXPECT_TRUE(Save(window.grab().toImage(), QStringLiteral("graph-main-window.png")));

    // The control's own defaults, with the statistics line and a nearly full bar.
    QWidget plain;
    plain.resize(400, 150);
    auto* stats = new TrkwXPGraph(&plain);
    stats->setObjectName(QStringLiteral("rkwXPGraphStats"));
    stats->SetDisplayStat(true);
    for (int i = 0; i < 250; ++i)
        stats->SetUsageValue(SampleSignal(i) + 30);
    plain.show();
    EXPECT_TRUE(Save(plain.grab().toImage(), QStringLiteral("graph-defaults-stat.png")));
}

TEST(Screenshots, EveryGaugeKindPlainAndThemed) {
    if (ShotsDir().isEmpty())
        GTEST_SKIP() << "CELDARA_SHOTS_DIR not set";
    ASSERT_TRUE(QDir().mkpath(ShotsDir()));

    struct Shot {
        const char* name;
        VTolmGaugeKind kind;
        QSize size;
    };
    const Shot shots[] = {
        {"text", VTolmGaugeKind::vgkText, {120, 40}},
        {"hbar", VTolmGaugeKind::vgkHorizontalBar, {160, 28}},
        {"vbar", VTolmGaugeKind::vgkVerticalBar, {40, 120}},
        {"pie", VTolmGaugeKind::vgkPie, {100, 100}},
        {"needle", VTolmGaugeKind::vgkNeedle, {140, 75}},
    };
    const int pad = 10;
    QImage sheet(2 * (160 + pad) + pad, 5 * (120 + pad) + pad, QImage::Format_ARGB32);
    QWidget host;
    sheet.fill(host.palette().color(QPalette::Window));
    QPainter sheetPainter(&sheet);

    int row = 0;
    for (const Shot& shot : shots) {
        int column = 0;
        for (VTolmGaugeTheme theme : {VTolmGaugeTheme::Plain, VTolmGaugeTheme::Themed}) {
            QWidget parent;
            auto* gauge = new VTolmGauge(&parent);
            gauge->setObjectName(QStringLiteral("gauge"));
            gauge->resize(shot.size);
            gauge->SetKind(shot.kind);
            gauge->SetTheme(theme);
            gauge->SetForeColor(RGBColor(0, 0, 128));
            gauge->SetProgress(65);
            QFont f = gauge->font();
            f.setBold(true);
            gauge->setFont(f);
            const QImage img = gauge->RenderImage();
            const QString name = QStringLiteral("gauge-%1-%2.png")
                                     .arg(QString::fromLatin1(shot.name))
                                     .arg(theme == VTolmGaugeTheme::Plain ? "plain" : "themed");
            EXPECT_TRUE(Save(img, name)) << name.toStdString();
            sheetPainter.drawImage(pad + column * (160 + pad), pad + row * (120 + pad), img);
            ++column;
        }
        ++row;
    }
    sheetPainter.end();
    EXPECT_TRUE(Save(sheet, QStringLiteral("gauges-sheet.png")));
    // Four times larger without smoothing, to see the single pixels of the decorations.
    EXPECT_TRUE(Save(sheet.scaled(sheet.size() * 4), QStringLiteral("gauges-sheet-x4.png")));
}

} // namespace
} // namespace celdara::widgets
