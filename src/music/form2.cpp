#include "music/form2.h"

#include "music/musicpage.h"
#include "music/pagewatch.h"
#include "music/viewguard.h"

#include <QGuiApplication>
#include <QIcon>
#include <QPointer>
#include <QScreen>
#include <QStyle>
#include <QTimer>
#include <QWebEngineProfile>
#include <QWebEngineView>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace thornvale {

namespace {

// Design sizes at 15 twips a pixel: client 5040 x 4350, pic2 5055 x 4335, WB 15000 x 15000.
constexpr QSize kClientSize(336, 290);
constexpr QSize kPic2Size(337, 289);
constexpr QSize kBrowserSize(1000, 1000);

QList<Form2 *> &registry()
{
    static QList<Form2 *> open;
    return open;
}

// A pop-up's browser frees some 20 MiB, and glibc keeps freed memory for the process: after eight
// pop-ups the program would stay at their peak for good. Once the last one has gone, and a moment
// later so that a page closing and reopening its pop-up does not trim at every turn, the free heap
// goes back to the system.
void scheduleHeapTrim()
{
#if defined(__GLIBC__)
    static QPointer<QTimer> timer;
    if (!timer) {
        timer = new QTimer(QCoreApplication::instance());
        timer->setSingleShot(true);
        timer->setInterval(1000);
        QObject::connect(timer, &QTimer::timeout, [] {
            if (registry().isEmpty())
                malloc_trim(0);
        });
    }
    timer->start();
#endif
}

} // namespace

Form2::Form2(QWebEngineProfile *profile, const QIcon &icon)
    : QWidget(nullptr,
        Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint
            | Qt::MSWindowsFixedSizeDialogHint)
    , m_pic2(new QWidget(this))
    , m_wb(new QWebEngineView(m_pic2))
{
    setAttribute(Qt::WA_DeleteOnClose);
    // A page opens its pop-ups on its own; the user may be typing a name in the main window.
    setAttribute(Qt::WA_ShowWithoutActivating);
    // Only the main window decides when the program ends: closing the last pop-up while the main
    // window sits in the tray must not end it, and a pop-up left open must not keep it running.
    setAttribute(Qt::WA_QuitOnClose, false);
    // Blank in the title bar: Qt puts the application's name into an empty title, not into one
    // of a single space.
    setWindowTitle(QStringLiteral(" "));
    setWindowIcon(icon);
    setFixedSize(kClientSize);

    m_pic2->setObjectName(QStringLiteral("pic2"));
    m_pic2->setGeometry(QRect(QPoint(0, 0), kPic2Size));
    m_pic2->setAutoFillBackground(true);
    m_pic2->setBackgroundRole(QPalette::Base);
    m_pic2->setForegroundRole(QPalette::Text);

    // Its own requests for new windows are not handled, and it may ask for any size or position
    // without effect (geometryChangeRequested stays unconnected).
    auto *page = new MusicPage(profile, m_wb);
    m_wb->setObjectName(QStringLiteral("WB"));
    m_wb->setPage(page);
    guardView(m_wb);
    // Only watched: a pop-up takes no choices, but may grow or share a process that does.
    new PageWatch(m_wb);
    m_wb->setGeometry(QRect(QPoint(0, 0), kBrowserSize));
    connect(page, &QWebEnginePage::windowCloseRequested, this, &QWidget::close);

    // Centred on the screen, so two pop-ups opened one after the other lie on top of each other.
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        setGeometry(
            QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, kClientSize, screen->availableGeometry()));

    registry().append(this);
}

Form2::~Form2()
{
    registry().removeOne(this);
    if (registry().isEmpty())
        scheduleHeapTrim();
}

QWebEnginePage *Form2::page() const
{
    return m_wb->page();
}

QList<Form2 *> Form2::instances()
{
    return registry();
}

void Form2::closeAll()
{
    // Deleted at once rather than later: the program is about to end, and a page must not
    // outlive the event loop that would run a deferred delete.
    const QList<Form2 *> open = registry();
    for (Form2 *form : open)
        delete form;
}

} // namespace thornvale
