#include "helppicture.h"

#include "icons.h"
#include "pagesketch.h"
#include "palette.h"

#include <QFontInfo>
#include <QPainter>
#include <QRawFont>
#include <QSet>

namespace {

constexpr int kMargin = 20;
constexpr int kMarkerColumn = 30;
constexpr int kScratchHeight = 6000;
const QString kDigitsFamily = QStringLiteral("DejaVu Sans");

QFont pixelFont(const QString &family, int pixels, bool bold = false)
{
    QFont font(family);
    font.setPixelSize(pixels);
    font.setBold(bold);
    font.setStyleStrategy(QFont::PreferAntialias);
    return font;
}

QStringList allTexts(const HelpContent &content)
{
    QStringList texts{content.title, content.subtitle, content.footer};
    for (const HelpSection &section : content.sections) {
        texts << section.title << section.lead;
        for (const HelpItem &item : section.items)
            texts << item.name << item.text;
    }
    return texts;
}

// Writes the blocks of the picture one below the other; `y` is the top of the next block.
class HelpWriter
{
public:
    HelpWriter(QPainter &painter, const HelpContent &content) : m_p(painter), m_content(content) {}

    qreal y() const { return m_y; }

    void banner()
    {
        const qreal height = 100;
        QLinearGradient fill(0, 0, 0, height);
        fill.setColorAt(0.0, Palette::pageTop());
        fill.setColorAt(1.0, Palette::pageMiddle());
        m_p.fillRect(QRectF(0, 0, kHelpWidth, height), fill);
        m_p.fillRect(QRectF(0, height - 3, kHelpWidth, 3), Palette::accent());
        m_p.drawImage(QPointF(kHelpWidth - kMargin - 68, 14), renderApplicationIcon(68));

        m_p.setPen(Qt::white);
        m_p.setFont(pixelFont(m_content.fontFamily, 28, true));
        m_p.drawText(QRectF(kMargin, 14, kHelpWidth - 2 * kMargin - 80, 40),
                     Qt::AlignLeft | Qt::AlignVCenter, m_content.title);
        m_p.setPen(QColor(0xA8, 0xB8, 0xC8));
        m_p.setFont(pixelFont(m_content.fontFamily, 15));
        m_p.drawText(QRectF(kMargin, 58, kHelpWidth - 2 * kMargin - 80, 26),
                     Qt::AlignLeft | Qt::AlignVCenter, m_content.subtitle);
        m_y = height + 8;
    }

    void heading(const QString &text)
    {
        m_y += 18;
        m_p.setPen(Palette::accent());
        m_p.setFont(pixelFont(m_content.fontFamily, 22, true));
        const QRectF used = drawWrapped(QRectF(kMargin, m_y, textWidth(), 0), text);
        m_y = used.bottom() + 5;
        m_p.fillRect(QRectF(kMargin, m_y, textWidth(), 1.5), Palette::accent());
        m_y += 10;
    }

    void paragraph(const QString &text)
    {
        if (text.isEmpty())
            return;
        m_p.setPen(Palette::lightText());
        m_p.setFont(bodyFont());
        m_y = drawWrapped(QRectF(kMargin, m_y, textWidth(), 0), text).bottom() + 10;
    }

    void sketch(HelpSketch kind)
    {
        if (kind == HelpSketch::None)
            return;
        const qreal width = textWidth();
        const QRectF box(kMargin, m_y + 2, width, width * kWindowHeight / kWindowWidth);
        paintSketch(m_p, box, kind, kDigitsFamily);
        m_y = box.bottom() + 14;
    }

    void item(const HelpItem &entry)
    {
        const qreal nameX = kMargin + kMarkerColumn;
        const qreal textX = nameX + m_content.nameColumn + 10;
        const qreal descriptionWidth = kHelpWidth - kMargin - textX;

        m_p.setFont(bodyFont(true));
        m_p.setPen(entry.marker ? Palette::accent() : QColor(0xE6, 0xE9, 0xEE));
        const QRectF name = drawWrapped(QRectF(nameX, m_y, m_content.nameColumn, 0), entry.name);
        m_p.setFont(bodyFont());
        m_p.setPen(Palette::lightText());
        const QRectF text = drawWrapped(QRectF(textX, m_y, descriptionWidth, 0), entry.text);

        if (entry.marker) {
            const qreal lineHeight = QFontMetricsF(bodyFont(true)).height();
            paintMarker(m_p, QPointF(kMargin + 11, m_y + lineHeight / 2), 10.5, entry.marker,
                        kDigitsFamily);
        }
        m_y = qMax(name.bottom(), text.bottom()) + 7;
    }

    void footer()
    {
        m_y += 16;
        m_p.fillRect(QRectF(kMargin, m_y, textWidth(), 1), QColor(0x3B, 0x42, 0x4E));
        m_y += 10;
        m_p.setPen(Palette::dimText());
        m_p.setFont(pixelFont(m_content.fontFamily, 14));
        m_y = drawWrapped(QRectF(kMargin, m_y, textWidth(), 0), m_content.footer, Qt::AlignHCenter)
                  .bottom() +
              14;
    }

private:
    static qreal textWidth() { return kHelpWidth - 2 * kMargin; }

    QFont bodyFont(bool bold = false) const
    {
        return pixelFont(m_content.fontFamily, m_content.bodyPixels, bold);
    }

    QRectF drawWrapped(const QRectF &area, const QString &text,
                       Qt::Alignment alignment = Qt::AlignLeft)
    {
        const int flags = Qt::TextWordWrap | Qt::AlignTop | int(alignment);
        const QRectF bounds(area.left(), area.top(), area.width(), kScratchHeight);
        QRectF used;
        m_p.drawText(bounds, flags, text, &used);
        return used;
    }

    QPainter &m_p;
    const HelpContent &m_content;
    qreal m_y = 0;
};

} // namespace

QStringList helpFontProblems(const HelpContent &content)
{
    QStringList problems;
    const QFont font = pixelFont(content.fontFamily, content.bodyPixels);
    const QString resolved = QFontInfo(font).family();
    if (resolved.compare(content.fontFamily, Qt::CaseInsensitive) != 0) {
        problems << QStringLiteral("font \"%1\" is not installed (got \"%2\")")
                        .arg(content.fontFamily, resolved);
        return problems;
    }
    const QRawFont raw = QRawFont::fromFont(font);
    QSet<uint> missing;
    for (const QString &text : allTexts(content)) {
        for (uint code : text.toUcs4()) {
            if (code != ' ' && code != '\n' && !raw.supportsCharacter(code))
                missing.insert(code);
        }
    }
    for (uint code : missing)
        problems << QStringLiteral("no glyph for U+%1 in \"%2\"")
                        .arg(code, 4, 16, QLatin1Char('0'))
                        .arg(content.fontFamily);
    problems.sort();
    return problems;
}

QImage renderHelpPicture(const HelpContent &content)
{
    QImage scratch(kHelpWidth, kScratchHeight, QImage::Format_RGB32);
    scratch.fill(Palette::helpBackground());
    QPainter painter(&scratch);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);

    HelpWriter writer(painter, content);
    writer.banner();
    for (const HelpSection &section : content.sections) {
        writer.heading(section.title);
        writer.paragraph(section.lead);
        writer.sketch(section.sketch);
        for (const HelpItem &entry : section.items)
            writer.item(entry);
    }
    writer.footer();
    painter.end();

    const int height = qMin(kScratchHeight, int(writer.y() + 0.5));
    return scratch.copy(0, 0, kHelpWidth, height);
}
