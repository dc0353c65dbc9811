// The window's radio side: the metrics panel, the grid's columns per technology and the
// history graph's choice of what it draws.
#include "AppTestSupport.h"
#include "app/RadioPanelView.h"
#include "app/Translations.h"
#include "modem/RadioSamples.h"
#include "simulator/SimSerialDevice.h"
#include "widgets/TrkwXPGraph.h"

#include <QAction>
#include <QActionGroup>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QRadioButton>
#include <QRegularExpression>
#include <QStatusBar>
#include <QTableWidget>
#include <optional>

namespace celdara::testing {
namespace {

// The window's cases want other quality words than the sample gives: RSRQ excellent, SINR
// poor.
TModemStatus LteStatus() {
    TModemStatus s = SampleLteStatus();
    TRadioCell& cell = s.Radio.Serving;
    cell.Rsrq = -9;
    cell.Sinr = -2.5;
    TRadioCell neighbour;
    neighbour.Channel = 1300;
    neighbour.PhysicalId = 7;
    neighbour.Rsrp = -104;
    AddNeighbour(s.Radio, neighbour);
    return s;
}

// An EN-DC modem that reports its carriers: LTE B3 with B7, and the NR leg on n78.
TModemStatus EnDcStatus() {
    TModemStatus s = LteStatus();
    s.Radio.Tech = TAccessTech::NrNsa;
    const struct {
        TCarrierRole role;
        TAccessTech tech;
        int band, channel, mhz, pci, rsrp;
    } carriers[] = {
        {TCarrierRole::Primary, TAccessTech::Lte, 3, 1300, 20, 120, -88},
        {TCarrierRole::Secondary, TAccessTech::Lte, 7, 3350, 20, 310, -97},
        {TCarrierRole::Secondary, TAccessTech::NrNsa, 78, 636666, 100, 501, -81},
    };
    for (const auto& c : carriers) {
        TCarrier carrier;
        carrier.Role = c.role;
        carrier.Tech = c.tech;
        carrier.Band = c.band;
        carrier.Channel = c.channel;
        carrier.BandwidthMhz = c.mhz;
        carrier.PhysicalId = c.pci;
        carrier.Rsrp = c.rsrp;
        AddCarrier(s.Radio, carrier);
    }
    return s;
}

// What the monitor's display refresh hands the view.
void Show(TfrmMain& w, const TModemStatus& status) {
    int last = -1;
    w.SetGraphSample(GraphSampleOf(status, last));
    w.SetCellGrid(CellGridOf(status));
    w.SetRadioPanel(RadioPanelOf(status));
    QCoreApplication::processEvents();
}

QStringList Headers(const QTableWidget& grid) {
    QStringList headers;
    for (int col = 0; col < grid.columnCount(); ++col)
        headers << grid.horizontalHeaderItem(col)->text();
    return headers;
}

TEST_F(AppTest, AnLteStatusShowsItsMetricsWithTheirQualityAndItsCells) {
    TfrmMain& w = OpenWindow();
    EXPECT_FALSE(w.radioPanel->isVisible());
    Show(w, LteStatus());

    TRadioPanelView& panel = *w.radioPanel;
    ASSERT_TRUE(panel.isVisible());
    EXPECT_TRUE(panel.TechnologyText().startsWith("LTE B")) << panel.TechnologyText().toStdString();
    ASSERT_EQ(panel.MetricCount(), 3);
    const struct {
        const char* name;
        const char* value;
        const char* quality;
        TQuality level;
    } metrics[] = {
        {"RSRP", "-95 dBm", "fair", TQuality::Fair},
        {"RSRQ", "-9 dB", "excellent", TQuality::Excellent},
        {"SINR", "-2.5 dB", "poor", TQuality::Poor},
    };
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(panel.MetricName(i)->text(), metrics[i].name);
        EXPECT_EQ(panel.MetricValue(i)->text(), metrics[i].value) << metrics[i].name;
        EXPECT_EQ(panel.MetricQuality(i)->text(), metrics[i].quality) << metrics[i].name;
        EXPECT_TRUE(panel.MetricQuality(i)->isVisible()) << metrics[i].name;
        // The word is drawn on its own colour.
        const QImage chip = panel.MetricQuality(i)->grab().toImage();
        EXPECT_EQ(chip.pixelColor(chip.width() / 2, 1),
                  TRadioPanelView::QualityBackground(metrics[i].level))
            << metrics[i].name;
    }
    EXPECT_TRUE(panel.IdentityText().contains("TAC 1A2B (6699)"))
        << panel.IdentityText().toStdString();
    EXPECT_TRUE(panel.IdentityText().contains("eNodeB 107187"))
        << panel.IdentityText().toStdString();
    EXPECT_TRUE(panel.IdentityText().contains("PCI 123")) << panel.IdentityText().toStdString();

    const QTableWidget& grid = *w.sgrResult;
    EXPECT_EQ(Headers(grid),
              (QStringList{"channel", "band", "PCI", "RSRP", "RSRQ", "SINR", "MCC MNC"}));
    EXPECT_EQ(grid.rowCount(), kCellRowCount);
    EXPECT_EQ(grid.item(0, 0)->text(), "6300");
    EXPECT_EQ(grid.item(0, 6)->text(), "230 03");
    EXPECT_EQ(grid.item(1, 3)->text(), "-104");
    EXPECT_EQ(grid.item(6, 6)->text(), "-");
    // Every column is seen whole.
    EXPECT_GE(grid.width(), grid.horizontalHeader()->length());
}

TEST_F(AppTest, TheSimulatedLteModemsRadioReachesThePanelAndTheGrid) {
    TfrmMain& w = OpenWindow();
    PickPort(kLteVirtualModemPort);
    ASSERT_TRUE(WaitFor([&] { return w.Monitor().CompletedCycles() >= 3; }, 20000))
        << "state " << w.Monitor().State() << " step " << w.Monitor().Step();
    QTest::qWait(2 * w.tmrShow->Interval());

    TRadioPanelView& panel = *w.radioPanel;
    ASSERT_TRUE(panel.isVisible());
    const QString technology = panel.TechnologyText();
    const bool umts = technology.startsWith("UMTS");
    EXPECT_TRUE(umts || technology.startsWith("LTE") || technology.startsWith("5G"))
        << technology.toStdString();
    ASSERT_GE(panel.MetricCount(), 2);
    EXPECT_EQ(panel.MetricName(0)->text(), umts ? "RSCP" : "RSRP");
    EXPECT_TRUE(panel.MetricValue(0)->text().endsWith(" dBm"))
        << panel.MetricValue(0)->text().toStdString();
    EXPECT_FALSE(panel.MetricQuality(0)->text().isEmpty());
    EXPECT_EQ(Headers(*w.sgrResult).at(3), umts ? "RSCP" : "RSRP");
    EXPECT_NE(w.sgrResult->item(0, 0)->text(), "-");
}

// celdara-modem-sim speaking Quectel on a pseudo-terminal, by default its LTE module for a
// few seconds on LTE and then in a coverage hole served by UMTS; the path of its terminal is
// the first line it prints.
class LteModemTool {
public:
    explicit LteModemTool(const QString& timetable = "lte:6,umts:60", const QString& model = {}) {
        QStringList options{"--dialect", "quectel", "--timetable", timetable, "--latency", "5"};
        if (!model.isEmpty())
            options << "--model" << model;
        tool_.start(QStringLiteral(CELDARA_MODEM_SIM), options);
        if (tool_.waitForStarted(5000) && tool_.waitForReadyRead(5000))
            path_ = QString::fromLocal8Bit(tool_.readLine()).trimmed();
    }
    ~LteModemTool() {
        tool_.terminate();
        if (!tool_.waitForFinished(3000))
            tool_.kill();
        tool_.waitForFinished(3000);
    }
    const QString& Path() const { return path_; }

private:
    QProcess tool_;
    QString path_;
};

TEST_F(AppTest, AnLteModemOnAPortShowsItsRadioAndItsFallBackToUmts) {
    LteModemTool tool;
    ASSERT_FALSE(tool.Path().isEmpty());
    TfrmMain& w = OpenWindow();
    // Typed into the box, as a user gives a terminal's path.
    w.cmbPort->lineEdit()->setText(tool.Path());
    emit w.cmbPort->activated(-1);
    TRadioPanelView& panel = *w.radioPanel;
    ASSERT_TRUE(WaitFor([&] { return panel.TechnologyText().startsWith("LTE"); }, 5000));
    // Two refreshes on the same cell: the spike of a new serving cell is over.
    QTest::qWait(3 * w.tmrShow->Interval());

    // One carrier or, once the modem tells of its aggregation, more.
    EXPECT_TRUE(panel.TechnologyText().contains(QRegularExpression("^LTE(-A)? B\\d")))
        << panel.TechnologyText().toStdString();
    const QStringList names{"RSRP", "RSRQ", "SINR"};
    const QStringList words{"excellent", "good", "fair", "poor"};
    ASSERT_GE(panel.MetricCount(), 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(panel.MetricName(i)->text(), names[i]);
        EXPECT_TRUE(words.contains(panel.MetricQuality(i)->text()))
            << panel.MetricQuality(i)->text().toStdString();
    }
    EXPECT_TRUE(panel.IdentityText().contains("TAC ")) << panel.IdentityText().toStdString();
    EXPECT_TRUE(panel.IdentityText().contains("Cell ID ")) << panel.IdentityText().toStdString();
    EXPECT_TRUE(panel.IdentityText().contains("eNodeB ")) << panel.IdentityText().toStdString();
    EXPECT_EQ(Headers(*w.sgrResult),
              (QStringList{"channel", "band", "PCI", "RSRP", "RSRQ", "SINR", "MCC MNC"}));
    // The modem says "+CSQ: 99,99" on LTE: the bar comes from the RSRP the panel shows.
    const TModemStatus shown = w.Monitor().ShownStatus();
    EXPECT_EQ(shown.SignalRaw, 99);
    const double rsrp = panel.MetricValue(0)->text().section(' ', 0, 0).toDouble();
    EXPECT_NEAR(w.rkwXPGraph1->UsageValue(), LevelOfRsrp(rsrp), 1);
    EXPECT_GT(w.rkwXPGraph1->UsageValue(), 0);

    ASSERT_TRUE(WaitFor([&] { return panel.TechnologyText().startsWith("UMTS"); }, 10000))
        << panel.TechnologyText().toStdString();
    EXPECT_EQ(panel.MetricName(0)->text(), "RSCP");
    EXPECT_EQ(Headers(*w.sgrResult).at(2), "PSC");
    EXPECT_EQ(Headers(*w.sgrResult).at(3), "RSCP");
}

TEST_F(AppTest, A5gModemOnAPortShowsItsCarriersAndTheirTable) {
    const struct {
        const char* timetable;
        const char* line; // how the technology line begins
        QStringList roles;
        QStringList bands;
    } cases[] = {
        {"nsa:60", "LTE-A B3+B7 · 5G NSA n78 · ", {"PCC", "SCC", "SCC"}, {"B3", "B7", "n78"}},
        {"sa:60", "5G SA n78+n28 · ", {"PCC", "SCC"}, {"n78", "n28"}},
    };
    for (const auto& c : cases) {
        LteModemTool tool(c.timetable, "RM500Q-GL");
        ASSERT_FALSE(tool.Path().isEmpty()) << c.timetable;
        TfrmMain& w = OpenWindow();
        w.cmbPort->lineEdit()->setText(tool.Path());
        emit w.cmbPort->activated(-1);
        const QTableWidget& table = *w.radioPanel->CarrierTable();
        const int rows = static_cast<int>(c.roles.size());
        ASSERT_TRUE(WaitFor([&] { return table.isVisible() && table.rowCount() == rows; }, 10000))
            << c.timetable << ": " << w.radioPanel->TechnologyText().toStdString();
        EXPECT_TRUE(w.radioPanel->TechnologyText().startsWith(QString::fromUtf8(c.line)))
            << w.radioPanel->TechnologyText().toStdString();
        for (int row = 0; row < rows; ++row) {
            EXPECT_EQ(table.item(row, 0)->text(), c.roles[row]) << c.timetable << " " << row;
            EXPECT_EQ(table.item(row, 1)->text(), c.bands[row]) << c.timetable << " " << row;
            EXPECT_NE(table.item(row, 2)->text(), "-") << c.timetable << " " << row;
        }
        CloseWindow();
    }
}

// Where the window's parts are, in the window's coordinates.
struct TPlaces {
    QRect Graph, Grid, Operators, Panel;
    bool operator==(const TPlaces&) const = default;
};
TPlaces PlacesOf(TfrmMain& w) {
    auto place = [&w](QWidget* widget) {
        return QRect(widget->mapTo(&w, QPoint(0, 0)), widget->size());
    };
    return {place(w.rkwXPGraph1), place(w.sgrResult), place(w.rgpOperators), place(w.radioPanel)};
}
std::string Describe(const TPlaces& p) {
    auto rect = [](const QRect& r) {
        return QString("%1,%2 %3x%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
    };
    return QString("graph %1, grid %2, operators %3, panel %4")
        .arg(rect(p.Graph), rect(p.Grid), rect(p.Operators), rect(p.Panel))
        .toStdString();
}

TEST_F(AppTest, NothingMovesAcrossLteNsaAndUmts) {
    LteModemTool tool("lte:5,nsa:5,umts:60", "RM500Q-GL");
    ASSERT_FALSE(tool.Path().isEmpty());
    TfrmMain& w = OpenWindow();
    w.cmbPort->lineEdit()->setText(tool.Path());
    emit w.cmbPort->activated(-1);
    TRadioPanelView& panel = *w.radioPanel;
    const struct {
        const char* name;
        const char* technology; // how the panel's line begins
    } phases[] = {{"LTE", "LTE"}, {"5G NSA", "LTE-A B3+B7 · 5G NSA"}, {"UMTS", "UMTS"}};
    std::optional<TPlaces> first;
    for (const auto& phase : phases) {
        ASSERT_TRUE(WaitFor(
            [&] { return panel.TechnologyText().startsWith(QString::fromUtf8(phase.technology)); },
            15000))
            << phase.name << ": " << panel.TechnologyText().toStdString();
        QCoreApplication::processEvents();
        const TPlaces places = PlacesOf(w);
        if (!first)
            first = places;
        EXPECT_EQ(places, *first) << phase.name << ": " << Describe(places) << " against "
                                  << Describe(*first);
    }
}

TEST_F(AppTest, DuringASwitchTheLteLayoutStaysWithoutValues) {
    RegisterSimulatedModems().Modem(kLteVirtualModemPort)->Locked([](TSimModem& m) {
        m.Network().SelectAutomatic();
    });
    TfrmMain& w = OpenWindow();
    PickPort(kLteVirtualModemPort);
    TRadioPanelView& panel = *w.radioPanel;
    ASSERT_TRUE(
        WaitFor([&] { return panel.isVisible() && panel.MetricValue(0)->text() != "-"; }, 15000));
    const QStringList headers = Headers(*w.sgrResult);
    const TPlaces before = PlacesOf(w);

    auto* o2 = w.rgpOperators->findChild<QRadioButton*>("rgpOperators_Item2");
    ASSERT_NE(o2, nullptr);
    o2->click();
    ASSERT_TRUE(WaitFor([&] { return panel.MetricValue(0)->text() == "-"; }, 10000));
    EXPECT_TRUE(w.StatusBar1->currentMessage().startsWith("Switching to O2"))
        << w.StatusBar1->currentMessage().toStdString();
    EXPECT_TRUE(panel.isVisible());
    EXPECT_EQ(Headers(*w.sgrResult), headers);
    EXPECT_EQ(w.sgrResult->item(0, 0)->text(), "-");
    EXPECT_EQ(PlacesOf(w), before) << Describe(PlacesOf(w)) << " against " << Describe(before);
    ASSERT_TRUE(WaitFor([&] { return w.rgpOperators->isEnabled(); }, 20000));
}

TEST_F(AppTest, NumbersInTheGridAreRightAlignedInEveryTechnology) {
    TModemStatus moni;
    moni.Cells[0] = TCellInfo{true, 23, 35, -76, 31, 230, 1};
    for (const TModemStatus& status : {LteStatus(), moni}) {
        TfrmMain& w = OpenWindow();
        Show(w, status);
        const TCellGrid grid = CellGridOf(status);
        for (int col = 0; col < w.sgrResult->columnCount(); ++col) {
            const int alignment =
                w.sgrResult->item(0, col)->textAlignment() & Qt::AlignHorizontal_Mask;
            EXPECT_EQ(alignment, grid.NumberColumns[col] ? Qt::AlignRight : Qt::AlignLeft)
                << grid.Headers[col];
        }
    }
}

TEST_F(AppTest, BackOnAMoniModemThePanelGoesAndTheGridIsAsItWas) {
    TfrmMain& w = OpenWindow();
    Show(w, LteStatus());
    const QSize before = w.sgrResult->size();
    TModemStatus moni;
    moni.Cells[0] = TCellInfo{true, 23, 35, -76, 31, 230, 1};
    Show(w, moni);
    EXPECT_FALSE(w.radioPanel->isVisible());
    EXPECT_EQ(Headers(*w.sgrResult),
              (QStringList{"channel", "band", "rssi", "dBm", "C1", "MCC MNC"}));
    EXPECT_EQ(w.sgrResult->item(0, 2)->text(), "  54%");
    EXPECT_EQ(w.sgrResult->item(1, 0)->text(), "-");
    EXPECT_EQ(w.sgrResult->width(), before.width()) << "the grid keeps its width";
    EXPECT_EQ(w.sgrResult->height(), before.height());
}

TEST_F(AppTest, TheCarriersTableAppearsWithTwoCarriersAndGoesWithOne) {
    TfrmMain& w = OpenWindow();
    const QTableWidget& table = *w.radioPanel->CarrierTable();
    Show(w, EnDcStatus());
    EXPECT_EQ(w.radioPanel->TechnologyText(),
              QString::fromUtf8("LTE-A B3+B7 · 5G NSA n78 · 140 MHz"));
    ASSERT_TRUE(table.isVisible());
    EXPECT_EQ(Headers(table),
              (QStringList{"role", "band", "channel", "MHz", "PCI", "RSRP", "RSRQ", "SINR"}));
    ASSERT_EQ(table.rowCount(), 3);
    const QStringList nrRow{"SCC", "n78", "636666", "100", "501", "-81", "-", "-"};
    for (int col = 0; col < kCarrierColumns; ++col)
        EXPECT_EQ(table.item(2, col)->text(), nrRow[col]) << col;
    EXPECT_EQ(table.item(0, 0)->text(), "PCC");
    // Every row and column is seen whole, inside the window.
    EXPECT_GE(table.width(), table.horizontalHeader()->length());
    EXPECT_GE(table.height(), table.horizontalHeader()->height() + 3 * table.rowHeight(0));
    const QRect inWindow(table.mapTo(&w, QPoint(0, 0)), table.size());
    EXPECT_TRUE(w.rect().contains(inWindow)) << inWindow.bottom() << " " << w.height();

    TModemStatus one = EnDcStatus();
    one.Radio.Tech = TAccessTech::Lte;
    one.Radio.Carriers.resize(1);
    Show(w, one);
    EXPECT_FALSE(table.isVisible());
    EXPECT_EQ(w.radioPanel->TechnologyText(), QString::fromUtf8("LTE B3 · 20 MHz"));
    Show(w, EnDcStatus());
    EXPECT_TRUE(table.isVisible());
    EXPECT_EQ(table.rowCount(), 3);
    TModemStatus moni;
    moni.Cells[0] = TCellInfo{true, 23, 35, -76, 31, 230, 1};
    Show(w, moni);
    EXPECT_FALSE(w.radioPanel->isVisible());
    EXPECT_EQ(table.rowCount(), 0);
}

TEST_F(AppTest, AtTheDefaultSizeTheGraphKeepsItsGsmHeightOnLteAnd5G) {
    TModemStatus moni;
    moni.Cells[0] = TCellInfo{true, 23, 35, -76, 31, 230, 1};
    const struct {
        const char* name;
        TModemStatus status;
        int taller; // pixels the user made the window taller than the default
    } cases[] = {
        {"LTE", LteStatus(), 0},
        {"5G NSA with its carriers", EnDcStatus(), 0},
        {"a taller window gives the panel its room", EnDcStatus(), 300},
    };
    for (const auto& c : cases) {
        // The size the last case left behind is not restored: each opens at the default.
        CloseWindow();
        QDir(ConfigFile({})).removeRecursively();
        TfrmMain& w = OpenWindow();
        Show(w, moni);
        const int gsm = w.rkwXPGraph1->height();
        EXPECT_GT(gsm, 100) << c.name;
        w.resize(w.width(), w.height() + c.taller);
        Show(w, moni);
        const int window = w.height();
        Show(w, c.status);
        ASSERT_TRUE(w.radioPanel->isVisible()) << c.name;
        const int graph = w.rkwXPGraph1->height();
        EXPECT_GE(graph, gsm - 3) << c.name;
        if (c.taller > 0) {
            // The panel took from what is beyond the default, and the window kept its size.
            EXPECT_LT(graph, gsm + c.taller - w.radioPanel->height() / 2) << c.name;
            EXPECT_EQ(w.height(), window) << c.name;
        } else {
            EXPECT_LE(graph, gsm + 3) << c.name;
            EXPECT_GE(w.height(), window + w.radioPanel->height()) << c.name;
        }
        // And back on GSM nothing is smaller than it was.
        Show(w, moni);
        EXPECT_GE(w.rkwXPGraph1->height(), gsm) << c.name;
    }
}

TEST_F(AppTest, TheGraphsMenuDrawsRsrpOrSinrAndIsRemembered) {
    TfrmMain& w = OpenWindow();
    widgets::TrkwXPGraph& graph = *w.rkwXPGraph1;
    EXPECT_EQ(graph.contextMenuPolicy(), Qt::ActionsContextMenu);
    QStringList entries;
    for (QAction* action : graph.actions())
        entries << action->text();
    EXPECT_EQ(entries, (QStringList{"Show level", "Show RSRP", "Show SINR"}));
    EXPECT_EQ(w.GraphSeries(), TGraphSeries::Level);

    w.SetGraphSample({50, -100.0, 10.0});
    w.SetGraphSample({60, std::nullopt, std::nullopt});
    w.SetGraphSample({70, -90.0, 20.0});
    w.findChild<QAction*>("mnuGraphRsrp")->trigger();
    EXPECT_EQ(w.GraphSeries(), TGraphSeries::Rsrp);
    EXPECT_EQ(graph.UsageLabel(), "dBm");
    EXPECT_EQ(graph.MaxValue(), 96);
    EXPECT_EQ(graph.UsageCaption(), "RSRP");
    // -100, held over the cycle without an RSRP, then -90 dBm on the -140 dBm based scale.
    EXPECT_EQ(std::vector<int>(graph.History().Values().begin(), graph.History().Values().end()),
              (std::vector<int>{40, 40, 50}));
    EXPECT_EQ(graph.UsageValue() + graph.ValueOffset(), -90);
    w.SetGraphSample({80, std::nullopt, std::nullopt});
    EXPECT_EQ(graph.UsageValue() + graph.ValueOffset(), -90);

    w.findChild<QAction*>("mnuGraphSinr")->trigger();
    EXPECT_EQ(graph.UsageValue() + graph.ValueOffset(), 20);
    EXPECT_EQ(graph.UsageLabel(), "dB");

    TfrmMain& again = OpenWindow();
    EXPECT_EQ(again.GraphSeries(), TGraphSeries::Sinr);
    EXPECT_TRUE(again.findChild<QAction*>("mnuGraphSinr")->isChecked());
    EXPECT_EQ(again.rkwXPGraph1->HistoryCaption(), "SINR History");
    again.findChild<QAction*>("mnuGraphLevel")->trigger();
    EXPECT_EQ(again.rkwXPGraph1->UsageLabel(), "%");
    EXPECT_EQ(again.rkwXPGraph1->MaxValue(), 100);
    again.SetGraphSample({-1, std::nullopt, std::nullopt});
    EXPECT_EQ(again.rkwXPGraph1->UsageValue(), widgets::TrkwXPGraph::kNoValue);
}

TEST_F(AppTest, UnderACzechLocaleTheRadioTextsAreCzech) {
    ASSERT_GE(InstallTranslations(QLocale(QLocale::Czech, QLocale::Czechia)), 2);
    TfrmMain& w = OpenWindow();
    Show(w, LteStatus());
    QStringList entries;
    for (QAction* action : w.rkwXPGraph1->actions())
        entries << action->text();
    const QString fair = w.radioPanel->MetricQuality(0)->text();
    const QString identity = w.radioPanel->IdentityText();
    Show(w, EnDcStatus());
    const QStringList carrierHeaders = Headers(*w.radioPanel->CarrierTable());
    InstallTranslations(QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_EQ(carrierHeaders,
              (QStringList{"role", QString::fromUtf8("pásmo"), QString::fromUtf8("kanál"), "MHz",
                           "PCI", "RSRP", "RSRQ", "SINR"}));
    EXPECT_EQ(entries,
              (QStringList{QString::fromUtf8("Zobrazit úroveň"), QString::fromUtf8("Zobrazit RSRP"),
                           QString::fromUtf8("Zobrazit SINR")}));
    EXPECT_EQ(fair, QString::fromUtf8("průměrný"));
    EXPECT_TRUE(identity.contains(QString::fromUtf8("ID buňky 1A2B3C4"))) << identity.toStdString();
}

} // namespace
} // namespace celdara::testing
