#include "gbk_columns.h"

#include <QFontMetricsF>

#include <cmath>

namespace m4::ui {
namespace {

/// A Chinese character: the width two columns are to take.
constexpr char16_t kWideSample = u'中';
constexpr char16_t kBoxSample = u'─';
constexpr char16_t kBoxFirst = 0x2500;
constexpr char16_t kBoxLast = 0x257F;

bool isBox(QChar c) {
    return c.unicode() >= kBoxFirst && c.unicode() <= kBoxLast;
}

int stretchTo(double wanted, double has) {
    return has > 0 ? static_cast<int>(std::lround(100.0 * wanted / has)) : 100;
}

} // namespace

GbkColumns::GbkColumns(QTextDocument* document, const QFont& font) : QSyntaxHighlighter(document) {
    const QFontMetricsF metrics(font);
    const double two = metrics.horizontalAdvance(QChar(kWideSample));
    narrowStretch_ = stretchTo(two / 2, metrics.horizontalAdvance(QChar('0')));
    boxStretch_ = stretchTo(two, metrics.horizontalAdvance(QChar(kBoxSample)));
    rehighlight();
}

int GbkColumns::columnsOf(QChar c) {
    return c.unicode() < 0x80 ? 1 : 2;
}

void GbkColumns::highlightBlock(const QString& text) {
    QTextCharFormat narrow;
    narrow.setFontStretch(narrowStretch_);
    QTextCharFormat box;
    box.setFontStretch(boxStretch_);
    for (int i = 0; i < text.size(); ++i) {
        if (text[i].unicode() < 0x80 && narrowStretch_ != 100) setFormat(i, 1, narrow);
        if (isBox(text[i]) && boxStretch_ != 100) setFormat(i, 1, box);
    }
}

} // namespace m4::ui
