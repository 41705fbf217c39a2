#include "kiroku.h"

#include "recordviews.h"
#include "shell/dialogs.h"
#include "shell/freememory.h"
#include "shell/keyboardsettings.h"
#include "shell/records/keeprun.h"
#include "shell/records/records.h"
#include "shell/screenhost.h"
#include "shell/units.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QStandardPaths>

#include <map>

namespace ks {

namespace {

// Rectangles are laid out in pixels and handed over in twips, as the other
// screens' designs are.
QRect px(int x, int y, int w, int h)
{
    return {x * 15, y * 15, w * 15, h * 15};
}

const QString kPageNames[] = {QStringLiteral("推移"), QStringLiteral("苦手キー"),
                              QStringLiteral("履歴")};

QString modeText(RunMode mode)
{
    switch (mode) {
    case RunMode::SpeedTest:
        return QStringLiteral("打速度テスター");
    case RunMode::Practice:
        return QStringLiteral("練習問題編");
    case RunMode::Mission:
        return QStringLiteral("ミッション");
    }
    return {};
}

QString shortModeText(RunMode mode)
{
    switch (mode) {
    case RunMode::SpeedTest:
        return QStringLiteral("テスター");
    case RunMode::Practice:
        return QStringLiteral("練習");
    case RunMode::Mission:
        return QStringLiteral("ミッション");
    }
    return {};
}

QString hitRateText(const RunSummary &run)
{
    // 0 of 0 keys is no rate at all.
    if (run.keys <= 0)
        return QStringLiteral("—");
    return QLocale::c().toString(run.hitRate(), 'f', 1) + QStringLiteral("%");
}

QString charText(char32_t c)
{
    if (c == U' ')
        return QStringLiteral("スペース");
    return QString::fromUcs4(&c, 1);
}

} // namespace

QString resultText(const RunSummary &run)
{
    if (run.end == RunEnd::Abandoned)
        return QStringLiteral("中断");
    if (!run.verdict.empty())
        return QString::fromStdString(run.verdict);
    if (run.score)
        return QStringLiteral("%1点").arg(*run.score);
    switch (run.end) {
    case RunEnd::Won:
        return QStringLiteral("成功");
    case RunEnd::Lost:
        return QStringLiteral("失敗");
    case RunEnd::TimeUp:
        return QStringLiteral("時間切れ");
    default:
        return QStringLiteral("完了");
    }
}

QString subjectText(const Subject &subject, const QString &label)
{
    return modeText(subject.mode) + QStringLiteral("　") + label;
}

void Kiroku::createControls()
{
    setGameScreen(QStringLiteral("記録"));
    AssetStore &assets = services().assets;
    const LabelStyle steel{11, false, RecordColors::Steel, QColor(), Align::Left};

    Emblem = addImage({QStringLiteral("Emblem"), px(10, 6, 48, 48)},
                      assets.picture(QStringLiteral("records")));
    Midashi = addLabel({QStringLiteral("Midashi"), px(66, 10, 150, 40)}, QStringLiteral("記録"),
                       {24, false, Qt::white, QColor(), Align::Left});
    for (int i = 0; i < 3; ++i) {
        Tab[i] = addLabel({QStringLiteral("Tab"), i, px(330 + i * 100, 18, 92, 28)}, kPageNames[i],
                          {13, true, RecordColors::SteelShade, QColor(), Align::Center});
        Pages[i] = add<Panel>(QStringLiteral("Page"), i, px(0, 58, 640, 382));
        Pages[i]->setBackColor(Qt::black);
    }

    Subject = addLabel({QStringLiteral("Subject"), px(20, 2, 600, 24)}, QString(),
                       {13, true, Qt::white, QColor(), Align::Center}, Pages[0]);
    Speed = add<ChartView>(QStringLiteral("Speed"), px(8, 30, 624, 172), Pages[0]);
    Accuracy = add<ChartView>(QStringLiteral("Accuracy"), px(8, 206, 624, 172), Pages[0]);

    Measure = addLabel({QStringLiteral("Measure"), px(20, 2, 600, 24)}, QString(),
                       {13, true, Qt::white, QColor(), Align::Center}, Pages[1]);
    Keyboard = add<KeyboardView>(QStringLiteral("Keyboard"), px(8, 28, 624, 226), Pages[1]);
    ConfusionsTitle =
        addLabel({QStringLiteral("ConfusionsTitle"), px(30, 262, 280, 20)},
                 QStringLiteral("よくある打ち間違い"),
                 {11, true, RecordColors::BoltYellow, QColor(), Align::Left}, Pages[1]);
    Confusions =
        addLabel({QStringLiteral("Confusions"), px(30, 284, 280, 96)}, QString(), steel, Pages[1]);
    KanaTitle = addLabel({QStringLiteral("KanaTitle"), px(340, 262, 280, 20)},
                         QStringLiteral("よく間違えるかな"),
                         {11, true, RecordColors::BoltYellow, QColor(), Align::Left}, Pages[1]);
    Kana = addLabel({QStringLiteral("Kana"), px(340, 284, 280, 96)}, QString(), steel, Pages[1]);

    Table = add<RunTable>(QStringLiteral("Table"), px(8, 2, 624, 378), Pages[2]);
    // The columns fill the table's width less its margin and the scroll
    // mark; a text still too wide for its column is drawn smaller.
    Table->setColumns({QStringLiteral("日時"), QStringLiteral("モード"), QStringLiteral("内容"),
                       QStringLiteral("打鍵"), QStringLiteral("ミス"), QStringLiteral("命中率"),
                       QStringLiteral("打/分"), QStringLiteral("結果")},
                      {80, 64, 152, 42, 38, 58, 46, 130});

    Empty = addLabel({QStringLiteral("Empty"), px(60, 180, 520, 80)}, QString(),
                     {13, false, Qt::white, QColor(), Align::Center});
    Empty->setWrapAnywhere(true);

    GuideFrame = add<Shape>(QStringLiteral("GuideFrame"), px(8, 444, 624, 30));
    GuideFrame->setKind(ShapeKind::RoundedRectangle);
    GuideFrame->setBorderColor(RecordColors::GuideGreen);
    GuideFrame->setBorderWidth(2);
    Guide = addLabel({QStringLiteral("Guide"), px(16, 449, 608, 20)}, QString(),
                     {11, false, RecordColors::GuideGreen, QColor(), Align::Center});
}

void Kiroku::Form_Load()
{
    m_page = Page::Progress;
    m_subject = 0;
    Keyboard->setKind(
        keyboardKindFor(services().keyboard.xkbLayouts(), services().keyboard.locale()));
    Keyboard->setMeasure(KeyMeasure::MissRate);
    readRecords();
    showPage(Page::Progress);

    tellMovedAside(services().records, services().dialogs, appDir());
}

void Kiroku::readRecords()
{
    Records &records = services().records;
    std::optional<RecordsOverview> overview = records.overview();
    std::optional<std::vector<KeyEvent>> keys = records.keysOfLatestRuns(kWeakKeyRuns);
    m_readable = overview && keys;
    m_overview = overview ? std::move(*overview) : RecordsOverview();
    m_keys = keys ? std::move(*keys) : std::vector<KeyEvent>();
    m_labels.clear();
    const std::vector<std::string> labels = subjectLabels(m_overview.subjects);
    for (std::size_t i = 0; i < labels.size(); ++i)
        m_labels[m_overview.subjects[i].subject] = QString::fromStdString(labels[i]);
    showSubject();
    showWeakKeys();
    showHistory();
}

void Kiroku::showPage(Page page)
{
    m_page = page;
    const auto index = static_cast<std::size_t>(page);
    for (std::size_t i = 0; i < Pages.size(); ++i) {
        Pages[i]->setVisible(hasRuns() && i == index);
        const bool current = i == index;
        Tab[i]->setForeColor(current ? RecordColors::BoltYellow : RecordColors::SteelShade);
        Tab[i]->setBorder(current);
    }
    Empty->setVisible(!hasRuns());
    if (!m_readable) {
        Empty->setCaption(QStringLiteral("記録（records.sqlite3）を読み込めませんでした。"
                                         "ほかのプログラムが使っているか、新しい版の記録か、"
                                         "フォルダに書き込めません。"));
    } else {
        Empty->setCaption(QStringLiteral("まだ記録がありません。プレイすると、ここに記録が"
                                         "残ります。"));
    }
    Guide->setCaption(guideText());
}

QString Kiroku::guideText() const
{
    QString common = QStringLiteral("←→・Tab：ページ　Esc：メニューへ");
    if (!hasRuns())
        return QStringLiteral("Esc：メニューへ");
    switch (m_page) {
    case Page::Progress:
        return QStringLiteral("↑↓：モード・問題を選ぶ　") + common;
    case Page::WeakKeys:
        return QStringLiteral("↑↓：誤打率／遅さ　スペース：JIS／US配列　") + common;
    case Page::History:
        return QStringLiteral("↑↓：スクロール　Return：CSVに書き出す　") + common;
    }
    return common;
}

void Kiroku::showSubject()
{
    const std::vector<SubjectSummary> &subjects = m_overview.subjects;
    if (subjects.empty()) {
        Subject->setCaption(QString());
        Speed->setSeries(QStringLiteral("打鍵数／分"), QStringLiteral("正しく打った数"), {}, -1,
                         RecordColors::StormCyan);
        Accuracy->setSeries(QStringLiteral("命中率"), QStringLiteral("％"), {}, -1,
                            RecordColors::ChalkGreen);
        return;
    }
    m_subject = std::min(m_subject, subjects.size() - 1);
    const ks::Subject &subject = subjects[m_subject].subject;
    Subject->setCaption(QStringLiteral("▲ ") + subjectText(subject, m_labels[subject]) +
                        QStringLiteral(" ▼　（%1／%2）").arg(m_subject + 1).arg(subjects.size()));
    const ProgressWindow progress =
        services().records.progress(subject, kChartRuns).value_or(ProgressWindow(kChartRuns));
    // Played, but never to the end with a key typed: nothing to chart, and
    // the chart says why rather than "no records".
    const QString nothing = QStringLiteral("最後まで打った記録がまだありません");
    Speed->setEmptyText(nothing);
    Accuracy->setEmptyText(nothing);
    const std::vector<ProgressPoint> points = progress.points();
    std::vector<double> speed;
    std::vector<double> accuracy;
    int fastest = -1;
    int accurate = -1;
    for (const ProgressPoint &point : points) {
        if (point.id == progress.fastest().id)
            fastest = static_cast<int>(speed.size());
        if (point.id == progress.mostAccurate().id)
            accurate = static_cast<int>(accuracy.size());
        speed.push_back(point.keysPerMinute);
        accuracy.push_back(point.hitRate);
    }
    // A long history is charted from its latest runs; a best from before
    // them is still named, with its run's number.
    const int first = points.empty() ? 1 : points.front().number;
    const auto note = [&](double best, int number, bool shown, const QString &unit) {
        if (first == 1)
            return QString();
        QString text =
            QStringLiteral("全%1回のうち最近%2回").arg(progress.total()).arg(points.size());
        if (!shown)
            text += QStringLiteral("　最高 %1%2（%3回目）")
                        .arg(QLocale::c().toString(best, 'f', 1), unit)
                        .arg(number);
        return text;
    };
    Speed->setWindow(first, note(progress.fastest().keysPerMinute, progress.fastest().number,
                                 fastest >= 0, QString()));
    Accuracy->setWindow(first, note(progress.mostAccurate().hitRate, progress.mostAccurate().number,
                                    accurate >= 0, QStringLiteral("%")));
    Speed->setSeries(QStringLiteral("打鍵数／分"), QStringLiteral("正しく打った数"),
                     std::move(speed), fastest, RecordColors::StormCyan);
    Accuracy->setSeries(QStringLiteral("命中率"), QStringLiteral("％"), std::move(accuracy),
                        accurate, RecordColors::ChalkGreen);
}

void Kiroku::showWeakKeys()
{
    const bool byMisses = Keyboard->measure() == KeyMeasure::MissRate;
    const QString layout = Keyboard->kind() == KeyboardKind::Jis ? QStringLiteral("JIS配列")
                                                                 : QStringLiteral("US配列");
    Measure->setCaption(
        (byMisses ? QStringLiteral("▲ キーごとの誤打率 ▼")
                  : QStringLiteral("▲ キーごとの遅さ（中央値・ミリ秒） ▼")) +
        QStringLiteral("　%1　最近%2回").arg(layout).arg(std::min(m_overview.runs, kWeakKeyRuns)));
    Keyboard->setFigures(keyFigures(m_keys));

    QStringList confusionLines;
    for (const Confusion &c : confusions(m_keys, 4))
        confusionLines << QStringLiteral("%1 → %2　%3回")
                              .arg(charText(c.expected), charText(c.typed))
                              .arg(c.count);
    Confusions->setCaption(confusionLines.isEmpty() ? QStringLiteral("打ち間違いはありません")
                                                    : confusionLines.join('\n'));
    QStringList kanaLines;
    for (const KanaFigures &k : mostMissedKana(m_keys, 4))
        kanaLines << QStringLiteral("%1　%2回ミス／%3打")
                         .arg(QString::fromStdString(k.kana))
                         .arg(k.misses)
                         .arg(k.keys);
    Kana->setCaption(kanaLines.isEmpty() ? QStringLiteral("かなの打ち間違いはありません")
                                         : kanaLines.join('\n'));
}

std::vector<QStringList> Kiroku::historyRows(int first, int count)
{
    std::vector<QStringList> rows;
    const QLocale c = QLocale::c();
    for (const RunSummary &run :
         services().records.latestRuns(first, count).value_or(std::vector<RunSummary>())) {
        rows.push_back({QDateTime::fromMSecsSinceEpoch(run.startedAtMs)
                            .toLocalTime()
                            .toString(QStringLiteral("MM/dd HH:mm")),
                        shortModeText(run.mode), m_labels[{run.mode, run.subject}],
                        QString::number(run.keys), QString::number(run.misses), hitRateText(run),
                        c.toString(run.keysPerMinute(), 'f', 0), resultText(run)});
    }
    return rows;
}

void Kiroku::showHistory()
{
    // Newest first, a page at a time as the player scrolls.
    Table->setRows(m_overview.runs,
                   [this](int first, int count) { return historyRows(first, count); });
}

void Kiroku::step(int delta)
{
    switch (m_page) {
    case Page::Progress:
        if (!m_overview.subjects.empty()) {
            const auto count = static_cast<int>(m_overview.subjects.size());
            m_subject =
                static_cast<std::size_t>((static_cast<int>(m_subject) + delta + count) % count);
            showSubject();
        }
        break;
    case Page::WeakKeys:
        Keyboard->setMeasure(Keyboard->measure() == KeyMeasure::MissRate ? KeyMeasure::Slowness
                                                                         : KeyMeasure::MissRate);
        showWeakKeys();
        break;
    case Page::History:
        Table->setFirstRow(Table->firstRow() + delta);
        break;
    }
}

void Kiroku::Form_KeyDown(int &keyCode, int shift)
{
    const bool hasRuns = this->hasRuns();
    const auto pageBy = [this](int delta) {
        showPage(static_cast<Page>((static_cast<int>(m_page) + delta + 3) % 3));
    };
    switch (keyCode) {
    case KeyCode::Escape:
        host().unload(*this);
        return;
    case 9: // Tab, Shift+Tab backwards
        if (hasRuns)
            pageBy((shift & 1) ? -1 : 1);
        break;
    case KeyCode::Right:
        if (hasRuns)
            pageBy(1);
        break;
    case KeyCode::Left:
        if (hasRuns)
            pageBy(-1);
        break;
    case KeyCode::Up:
        if (hasRuns)
            step(-1);
        break;
    case KeyCode::Down:
        if (hasRuns)
            step(1);
        break;
    case KeyCode::Space:
        if (hasRuns && m_page == Page::WeakKeys) {
            Keyboard->setKind(Keyboard->kind() == KeyboardKind::Jis ? KeyboardKind::Us
                                                                    : KeyboardKind::Jis);
            showWeakKeys();
        }
        break;
    case KeyCode::Return:
        if (hasRuns && m_page == Page::History)
            exportCsv();
        break;
    default:
        return;
    }
    // The page's keys are the window's own: none reaches a key press.
    keyCode = 0;
}

// Where the export is offered: the player's documents folder, where a
// spreadsheet looks first, else their home; never the game's own folder.
QString Kiroku::exportFolder()
{
    QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!documents.isEmpty() && QFileInfo(documents).isDir())
        return documents;
    return QDir::homePath();
}

void Kiroku::exportCsv()
{
    const QString suggested = exportFolder() + QStringLiteral("/keystorm-records.csv");
    services().dialogs.saveFile(
        window(), QStringLiteral("記録をCSVに書き出す"), suggested, QStringLiteral("CSV (*.csv)"),
        [this](std::optional<QString> path) {
            if (!path)
                return;
            const bool written = services().records.exportCsv(path->toStdString());
            services().dialogs.message(
                window(),
                written ? QStringLiteral("%1 回分の記録を %2 に書き出しました。")
                              .arg(m_overview.runs)
                              .arg(*path)
                        : QStringLiteral("%1 に書き出せませんでした。前のファイルはそのまま残って"
                                         "います。")
                              .arg(*path),
                {});
        });
}

void Kiroku::writeVariables(StateWriter &out) const
{
    out.add(name() + QStringLiteral(".page"), kPageNames[static_cast<int>(m_page)]);
    out.add(name() + QStringLiteral(".runs"), QString::number(m_overview.runs));
}

void Kiroku::Form_Unload()
{
    // Nothing of a long history stays behind the menu.
    m_overview = {};
    m_keys = {};
    m_labels.clear();
    Table->setRows({});
    services().records.release();
    // The window's own controls go once the key that closed it is over.
    QObject::connect(window(), &QObject::destroyed, [] { returnFreedMemory(); });
    host().show(ScreenName::Kidou);
}

} // namespace ks
