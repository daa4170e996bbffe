// The yardstick for the window's start-up: a plain Qt Widgets window with controls like the main
// window's (line edits, buttons, a tree view, labels, a menu bar, Hangul text so the same fonts
// load) and nothing behind them. It shows at once; ui-figures.sh times it exactly as it times the
// program.

#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenuBar>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTreeView>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);

    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Plain window 평범한 창"));
    for (const QString &title : { QStringLiteral("파일"), QStringLiteral("보기"), QStringLiteral("노래"),
             QStringLiteral("도움말") }) {
        QMenu *menu = window.menuBar()->addMenu(title);
        for (int i = 1; i <= 3; ++i)
            menu->addAction(QStringLiteral("항목 %1").arg(i));
    }

    auto *client = new QWidget(&window);
    window.setCentralWidget(client);
    window.resize(737, 479);

    auto *list = new QTreeView(client);
    auto *model = new QStandardItemModel(0, 7, list);
    model->setHorizontalHeaderLabels({ QStringLiteral("번호"), QStringLiteral("이름"), QStringLiteral("서버"),
        QStringLiteral("레벨"), QStringLiteral("직업"), QStringLiteral("종족"), QStringLiteral("주소") });
    list->setModel(model);
    list->setRootIsDecorated(false);
    list->setGeometry(8, 48, 480, 380);

    int y = 8;
    for (int i = 0; i < 3; ++i, y += 32) {
        auto *label = new QLabel(QStringLiteral("칸 %1").arg(i + 1), client);
        label->setGeometry(500, y, 60, 24);
        auto *edit = new QLineEdit(client);
        edit->setGeometry(564, y, 160, 24);
    }
    for (int i = 0; i < 4; ++i, y += 32) {
        auto *button = new QPushButton(QStringLiteral("단추 %1").arg(i + 1), client);
        button->setGeometry(564, y, 160, 26);
    }
    auto *detail = new QLabel(client);
    detail->setGeometry(500, y, 224, 120);
    detail->setWordWrap(true);

    window.show();
    return QApplication::exec();
}
