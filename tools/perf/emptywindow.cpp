// The yardstick for keystorm-perf: the emptiest Qt Widgets program that does
// what the game does at the moments measured. A 640 × 480 window with one
// Japanese line, in the font the game draws with; with --keys the line
// changes at every key, as the game's counters do during a run.
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>

#include <cstring>

namespace {

class KeyLabel final : public QLabel
{
public:
    using QLabel::QLabel;

protected:
    void keyPressEvent(QKeyEvent *event) override
    {
        setText(QStringLiteral("キーを押した回数：%1").arg(++m_keys));
        event->accept();
    }

private:
    int m_keys = 0;
};

} // namespace

int main(int argc, char *argv[])
{
    const bool keys = argc > 1 && std::strcmp(argv[1], "--keys") == 0;
    QApplication app(argc, argv);
    KeyLabel label(QStringLiteral("キーストームの比較用の空のウィンドウです。"));
    label.setWindowTitle(QStringLiteral("keystorm-perf empty window"));
    label.setFont(QFont(QStringLiteral("IPAPGothic"), 12));
    label.setFixedSize(640, 480);
    label.setAlignment(Qt::AlignCenter);
    label.setFocusPolicy(keys ? Qt::StrongFocus : Qt::NoFocus);
    label.show();
    return QApplication::exec();
}
