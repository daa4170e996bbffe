// The music module: the strip's browser `WB` and its `Form2` pop-ups, with all of QtWebEngine
// behind them. The program loads this plugin on the first music choice (shell/musicstrip.cpp).

#include "music/clipboardguard.h"
#include "music/engineflags.h"
#include "music/form2.h"
#include "music/heaptrim.h"
#include "music/memorybound.h"
#include "music/musicengine.h"
#include "music/musicpage.h"
#include "music/musicprofile.h"
#include "music/pagewatch.h"
#include "music/viewguard.h"

#include <QCoreApplication>
#include <QIcon>
#include <QOpenGLContext>
#include <QPointer>
#include <QSurfaceFormat>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <QWebEngineView>

#include <chrono>
#include <deque>
#include <memory>
#include <utility>

// QtGui exports this but declares it only in a private header. QtWebEngine renders through a GL
// context shared with every other one in the process, and Qt makes that shared context only at
// start: when the program links QtWebEngine or sets Qt::AA_ShareOpenGLContexts. Either way every
// run pays for a whole GL driver (some 60 MiB and 120 ms under Mesa) before any music is chosen.
// Loaded late, QtWebEngine finds no shared context and crashes on its first view, so this module
// registers one itself just before that view, as QtWebEngine 5 used to when initialised late.
// src/music/CMakeLists.txt checks at configure time that the symbol links.
Q_GUI_EXPORT void qt_gl_set_global_share_context(QOpenGLContext *context);

namespace thornvale {

namespace {

// The most Form2 windows open at once, and the most opened within PopupWindow: a page that
// closes and reopens its pop-up in a loop would otherwise make one window after another, each
// taking the focus.
constexpr qsizetype MaxPopups = 8;
constexpr std::size_t MaxPopupsPerWindow = 8;
constexpr std::chrono::seconds PopupWindow { 10 };

// -120, -120 twips and 15000 x 15000 twips at 15 twips a pixel: the page's top 8 and left 8
// pixels stay hidden behind pic1's edge.
constexpr QRect kBrowserGeometry(-8, -8, 1000, 1000);

void dropShareContext()
{
    QOpenGLContext *context = QOpenGLContext::globalShareContext();
    qt_gl_set_global_share_context(nullptr);
    delete context;
}

// False when no GL context can be had: QtWebEngine would crash on its first view without one.
bool ensureShareContext()
{
    // A program that links QtWebEngine after all (the tests that look into the browser) has one.
    if (QOpenGLContext::globalShareContext())
        return true;
    // Made as QGuiApplication makes its own at start: the default format, so QtWebEngine meets
    // the same context it would have met then.
    auto *context = new QOpenGLContext;
    context->setFormat(QSurfaceFormat::defaultFormat());
    if (!context->create()) {
        delete context;
        return false;
    }
    qt_gl_set_global_share_context(context);
    // Post routines run last registered first: QtWebEngine registers its own teardown when the
    // first view starts it, after this, so the context outlives the browser.
    qAddPostRoutine(dropShareContext);
    return true;
}

// The strip's pop-ups: every new window its page asks for becomes a Form2 of its own, within the
// bounds above.
class PopupOpener final {
    using Clock = std::chrono::steady_clock;

public:
    PopupOpener(QWebEngineProfile *profile, const QIcon &icon)
        : m_profile(profile)
        , m_icon(icon)
    {
    }

    QWebEnginePage *operator()()
    {
        // Each pop-up is a whole browser; a page that opens windows in a loop would otherwise
        // take all the memory there is.
        if (Form2::openCount() >= MaxPopups) {
            reportRefusal(QStringLiteral("a music page asked for a pop-up window past the %1 open; refused")
                              .arg(MaxPopups));
            return nullptr;
        }
        const Clock::time_point now = Clock::now();
        while (!m_opened->empty() && now - m_opened->front() >= PopupWindow)
            m_opened->pop_front();
        if (m_opened->size() >= MaxPopupsPerWindow) {
            reportRefusal(
                QStringLiteral("a music page asked for more than %1 pop-up windows in %2 s; refused")
                    .arg(MaxPopupsPerWindow)
                    .arg(PopupWindow.count()));
            return nullptr;
        }
        m_opened->push_back(now);
        // It shows itself once its page has an address.
        auto *form = new Form2(m_profile, m_icon);
        return form->page();
    }

private:
    QWebEngineProfile *m_profile;
    QIcon m_icon;
    // Shared by the copies std::function makes.
    std::shared_ptr<std::deque<Clock::time_point>> m_opened
        = std::make_shared<std::deque<Clock::time_point>>();
};

} // namespace

class MusicModule final : public QObject, public MusicEngine {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID ThornvaleMusicEngine_iid)
    Q_INTERFACES(thornvale::MusicEngine)
    Q_DISABLE_COPY_MOVE(MusicModule)

public:
    MusicModule() { s_instance = this; }
    ~MusicModule() override
    {
        if (s_instance == this)
            s_instance = nullptr;
    }

    QWidget *createBrowser(QWidget *pic1, const QIcon &popupIcon) override
    {
        if (!m_started) {
            // Nothing of the browser goes under the user's home; without this its GL shaders
            // would still be cached there. Read when the first view starts.
            QCoreApplication::setAttribute(Qt::AA_DisableShaderDiskCache);
            setEngineFlags();
            if (!ensureShareContext()) {
                qWarning("thornvale: music unavailable: no OpenGL context can be made for the browser");
                return nullptr;
            }
            ClipboardGuard::instance();
            connect(&m_bound, &MemoryBound::exceeded, this, &MusicModule::endAllPages);
            m_started = true;
        }
        // The first choice, or the first after the pages were ended: a profile of its own.
        if (!m_profile) {
            m_profile = makeMusicProfile(this);
            // Post routines run last registered first, and the engine registered its teardown
            // as the first profile started it: the pages and the profile go before the engine.
            static const bool registered = [] {
                qAddPostRoutine(&MusicModule::releaseAtExit);
                return true;
            }();
            Q_UNUSED(registered);
        }
        auto *view = new QWebEngineView(pic1);
        view->setObjectName(QStringLiteral("WB"));
        auto *page = new MusicPage(m_profile, view, PopupOpener(m_profile, popupIcon));
        // The pages play as they load, as the music menu promises, and open their pop-ups
        // without a click.
        page->settings()->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, true);
        connect(page, &QWebEnginePage::loadStarted, &m_bound, &MemoryBound::notePage);
        connect(page, &QWebEnginePage::loadFinished, this, [this] {
            m_bound.notePage();
            // What the page before this one held is free now.
            trimHeapSoon();
        });
        view->setPage(page);
        guardView(view);
        new PageWatch(view);
        view->setGeometry(kBrowserGeometry);
        view->show();
        m_strip = view;
        m_bound.start();
        return view;
    }

    void navigate(QWidget *browser, const QUrl &address) override
    {
        auto *view = qobject_cast<QWebEngineView *>(browser);
        if (PageWatch *watch = view ? PageWatch::of(view) : nullptr)
            watch->load(address);
    }

    QList<QWidget *> popups() const override
    {
        const QList<Form2 *> open = Form2::instances();
        return QList<QWidget *>(open.begin(), open.end());
    }

    void closePopups() override { Form2::closeAll(); }

private:
    // Whatever pages are left when the application object goes: the module itself outlives the
    // engine (the plugin is unloaded last).
    static void releaseAtExit()
    {
        if (!s_instance)
            return;
        Form2::closeAll();
        delete s_instance->m_strip.data();
        delete std::exchange(s_instance->m_profile, nullptr);
    }

    // Past the memory bound: every music page goes, in the order the engine needs. The pages
    // first, then the profile whose storage and Blobs they filled, then the freed heap; the strip
    // stays blank until the next choice makes a new browser and profile.
    void endAllPages(qint64 residentMiB, qint64 baselineMiB)
    {
        qWarning("thornvale: the music pages took the program to %lld MiB, past %lld MiB over the %lld MiB "
                 "it held with music playing; every music page was ended",
            residentMiB, MemoryBound::Headroom >> 20, baselineMiB);
        m_bound.stop();
        Form2::closeAll();
        delete m_strip.data();
        delete std::exchange(m_profile, nullptr);
        trimHeap();
        trimHeapSoon();
    }

    static inline MusicModule *s_instance = nullptr;
    bool m_started = false;
    QWebEngineProfile *m_profile = nullptr;
    QPointer<QWebEngineView> m_strip;
    MemoryBound m_bound;
};

} // namespace thornvale

#include "musicmodule.moc"
