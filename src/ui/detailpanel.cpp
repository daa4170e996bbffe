#include "ui/detailpanel.h"

#include <QLabel>
#include <QPainter>

#include <algorithm>
#include <cmath>

#include "qtbridge/qtbridge.h"
#include "ui/design.h"

namespace thornvale {

namespace {

const QString ItemDesign = QStringLiteral("장비명");
const QString GradeDesign = QStringLiteral("등급");
const QString TitleDesign = QStringLiteral("칭호");
const QString JobDesign = QStringLiteral("직업( 3특성)");
const QString SubLineDesign = QStringLiteral("레벨 종족 원정대");
const QString ServerDesign = QStringLiteral("서버");
const QString NicknameDesign = QStringLiteral("닉네임");

// The panel's corners on the client area, in twips: the lines' outermost points.
constexpr int PanelLeft = 5160;
constexpr int PanelTop = 120;
constexpr int PanelRight = 10920;
constexpr int PanelBottom = 7080;

// WCAG's relative luminance of an sRGB colour.
double relativeLuminance(const QColor &colour)
{
    const auto linear = [](float channel) {
        return channel <= 0.04045f ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(colour.redF()) + 0.7152 * linear(colour.greenF())
        + 0.0722 * linear(colour.blueF());
}

double contrastRatio(const QColor &a, const QColor &b)
{
    const double la = relativeLuminance(a);
    const double lb = relativeLuminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// The grade colours were chosen for a light window; on a dark one the deep blues and browns all
// but vanish. There each is lightened, hue and saturation kept, just far enough to be read.
QColor gradeColourOn(const QColor &colour, const QColor &background)
{
    if (background.lightnessF() >= 0.5 || contrastRatio(colour, background) >= 4.5)
        return colour;
    QColor lighter = colour;
    for (int lightness = colour.lightness() + 1; lightness <= 255; ++lightness) {
        lighter = QColor::fromHsl(colour.hslHue(), colour.hslSaturation(), lightness);
        if (contrastRatio(lighter, background) >= 4.5)
            break;
    }
    return lighter;
}

// One line of the panel, drawn one pixel wide beneath the labels.
class PanelLine final : public QWidget {
public:
    PanelLine(QPalette::ColorRole role, QWidget *parent)
        : QWidget(parent)
        , m_role(role)
    {
        setFocusPolicy(Qt::NoFocus);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), palette().color(m_role));
    }

private:
    QPalette::ColorRole m_role;
};

struct LineDesign {
    const char *name;
    int x1, y1, x2, y2;
    QPalette::ColorRole role;
};

constexpr std::array<LineDesign, 17> Lines = { {
    { "Line10", 5160, 120, 10920, 120, design::WindowText },
    { "Line8", 5160, 1200, 5160, 120, design::WindowText },
    { "Line9", 10920, 1200, 10920, 120, design::WindowText },
    { "Line1", 5160, 1200, 10920, 1200, design::WindowText },
    { "Line4", 5160, 7080, 5160, 1200, design::WindowText },
    { "Line3", 10920, 1200, 10920, 7080, design::WindowText },
    { "Line2", 5160, 7080, 10920, 7080, design::WindowText },
    { "Line5", 8040, 1200, 8040, 7080, design::ActiveBorder },
    { "Line6_0", 5160, 1800, 10920, 1800, design::ActiveBorder },
    { "Line7", 5160, 2400, 10920, 2400, design::ActiveBorder },
    { "Line6_1", 5160, 3000, 10920, 3000, design::ActiveBorder },
    { "Line6_2", 5160, 3600, 10920, 3600, design::ActiveBorder },
    { "Line6_3", 5160, 4200, 10920, 4200, design::ActiveBorder },
    { "Line6_4", 5160, 4800, 10920, 4800, design::ActiveBorder },
    { "Line6_5", 5160, 5400, 10920, 5400, design::ActiveBorder },
    { "Line6_6", 5160, 6000, 10920, 6000, design::ActiveBorder },
    { "Line6_7", 5160, 6600, 10920, 6600, design::ActiveBorder },
} };

struct HeaderDesign {
    DetailPanel::Header element;
    const QString &text;
    int left, top, width, height;
};

// Where element k of the equipment grid sits: grid row (0-based) and column. The elements were
// numbered before the grid was laid out, so 1 and 19 ended up at the bottom of the right column.
struct GridCell {
    int row;
    bool right;
};

constexpr GridCell gridCell(int k)
{
    if (k == 1)
        return { 8, true };
    if (k == 19)
        return { 9, true };
    return { k / 2 - 1, k % 2 == 1 };
}

// A rectangle given in the client area's twips, relative to the panel.
QRect onPanel(int left, int top, int width, int height)
{
    return pxRect(left, top, width, height).translated(-px(PanelLeft), -px(PanelTop));
}

} // namespace

DetailPanel::DetailPanel(QWidget *client)
    : QWidget(client)
{
    setObjectName(QStringLiteral("DetailPanel"));
    setGeometry(QRect(QPoint(px(PanelLeft), px(PanelTop)), QPoint(px(PanelRight), px(PanelBottom))));
    // The music strip, the tray receiver and the credit lie inside the panel's frame: they take
    // their own clicks, and the panel none.
    setAttribute(Qt::WA_TransparentForMouseEvents);

    for (const LineDesign &line : Lines) {
        auto *w = new PanelLine(line.role, this);
        w->setObjectName(QString::fromLatin1(line.name));
        const QRect r(QPoint(px(std::min(line.x1, line.x2)), px(std::min(line.y1, line.y2))),
            QPoint(px(std::max(line.x1, line.x2)), px(std::max(line.y1, line.y2))));
        w->setGeometry(r.translated(-px(PanelLeft), -px(PanelTop)));
    }

    // Scraped text is shown as the page holds it, so no label may read it as markup.
    auto label = [this](const QString &name, const QString &text) {
        auto *l = new QLabel(text, this);
        l->setObjectName(name);
        l->setTextFormat(Qt::PlainText);
        return l;
    };
    QFont bold;
    bold.setBold(true);

    const HeaderDesign headers[] = {
        { Title, TitleDesign, 5280, 120, 360, 225 },
        { Nickname, NicknameDesign, 5280, 360, 540, 225 },
        { Server, ServerDesign, 6480, 360, 360, 225 },
        { SubLine, SubLineDesign, 5280, 600, 1380, 225 },
        { Job, JobDesign, 5280, 840, 1005, 225 },
    };
    for (const HeaderDesign &h : headers) {
        QLabel *l = label(QStringLiteral("Label1_%1").arg(int(h.element)), h.text);
        l->setGeometry(onPanel(h.left, h.top, h.width, h.height));
        m_headers[std::size_t(h.element)] = l;
    }
    header(Nickname)->setFont(bold);
    header(Nickname)->setForegroundRole(design::Highlight);
    // The headers size themselves to their captions; the design widths were those of the design
    // texts in the design face.
    for (const HeaderDesign &h : headers)
        header(h.element)->adjustSize();
    // A long nickname grows to the right and runs under the server: the server's label paints its
    // own background, in the panel's colour, over the nickname's text.
    header(Server)->setBackgroundRole(backgroundRole());
    header(Server)->setAutoFillBackground(true);
    header(Server)->raise();

    for (int k = 1; k <= ItemRows; ++k) {
        const GridCell cell = gridCell(k);
        const int left = cell.right ? 8160 : 5280;
        const int rowTop = 1200 + 600 * cell.row;
        QLabel *name = label(QStringLiteral("Litem_%1").arg(k), ItemDesign);
        name->setGeometry(onPanel(left, rowTop + 120, 2700, 225));
        name->setFont(bold);
        // A screen reader speaks the scraped name and says which piece of equipment it is.
        name->setAccessibleDescription(QStringLiteral("장비 %1").arg(k));
        m_items[std::size_t(k)] = name;
        if (k <= GradeRows) {
            QLabel *grade = label(QStringLiteral("LDitem_%1").arg(k), GradeDesign);
            grade->setGeometry(onPanel(left, rowTop + 360, 2700, 225));
            grade->setFont(bold);
            grade->setAccessibleDescription(QStringLiteral("장비 %1 등급").arg(k));
            m_grades[std::size_t(k)] = grade;
        }
    }
}

void DetailPanel::ResetDetailPanel()
{
    for (int k = 1; k <= ItemRows; ++k) {
        item(k)->setText(ItemDesign);
        if (k <= GradeRows)
            grade(k)->setText(GradeDesign);
    }
}

void DetailPanel::ShowCharacterDetail(const CharacterDetail &detail, const std::optional<QString> &nickname)
{
    const int shown = std::min(int(detail.items.size()), ItemRows);
    for (int k = 1; k <= shown; ++k) {
        const EquipmentEntry &entry = detail.items[std::size_t(k - 1)];
        if (entry.name)
            item(k)->setText(toQString(*entry.name));
        if (k <= GradeRows && entry.grade)
            grade(k)->setText(toQString(*entry.grade));
    }
    // A label the new page has nothing for shows its design text: the previous character's title
    // or server next to this character's name would be wrong, not merely stale.
    setHeaderCaption(Title, detail.title ? toQString(*detail.title) : TitleDesign);
    if (nickname)
        setHeaderCaption(Nickname, *nickname);
    setHeaderCaption(Server, detail.server ? toQString(*detail.server) : ServerDesign);
    setHeaderCaption(SubLine, toQString(JoinSubParts(detail.subParts)));
    setHeaderCaption(Job, detail.job ? toQString(*detail.job) : JobDesign);
}

void DetailPanel::ColourGradeLabels()
{
    // Colours are only ever set: a label whose caption is no grade keeps the colour it had.
    const QColor background = palette().color(QPalette::Window);
    for (int k = 1; k <= GradeRows; ++k) {
        QLabel *label = grade(k);
        if (const std::optional<Rgb> colour = GradeColourOf(view(label->text()))) {
            QPalette palette = label->palette();
            palette.setColor(
                label->foregroundRole(), gradeColourOn(QColor(colour->r, colour->g, colour->b), background));
            label->setPalette(palette);
        }
    }
}

void DetailPanel::setHeaderCaption(Header element, const QString &text)
{
    QLabel *label = header(element);
    label->setText(text);
    label->adjustSize();
}

} // namespace thornvale
