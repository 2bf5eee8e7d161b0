#include "readingorder.h"

#include "lists/nameorder.h"
#include "lists/sortbuttons.h"
#include "platform/grid.h"
#include "platform/named.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QSignalBlocker>

#include <memory>

using namespace Qt::Literals::StringLiterals;

namespace {

const NameColumn* columnOf(const std::vector<NameColumn>& columns, int col)
{
    for (const NameColumn& c : columns) {
        if (c.col == col)
            return &c;
    }
    return nullptr;
}

} // namespace

void orderNamesByReading(SortButtons& buttons, Grid& grid, std::vector<NameColumn> columns, NameMemo& memo,
                         const ReadingTable& readings)
{
    buttons.setSorter([&grid, columns, &memo, &readings](int col, Qt::SortOrder order) {
        const NameColumn* column = columnOf(columns, col);
        if (!column || !listoptions::readingOrder())
            return false;
        grid.sortRowsBy(col, order, [&memo, &readings, col, kind = column->kind](const QStringList& row) {
            return memo.sortKey(kind, row[col], readings);
        });
        return true;
    });
    findRowsByReading(grid, std::move(columns), memo, readings);
}

std::function<bool(const QString& text)> fuzzyTypeAhead(const QString& typed, std::optional<ReadingKind> kind,
                                                        NameMemo& memo, const ReadingTable& readings)
{
    if (!listoptions::fuzzySearch())
        return {};
    auto query = std::make_shared<FuzzyNameQuery>(memo, readings, typed, japanese::FuzzyQuery::Match::StartsWith);
    if (query->isEmpty())
        return {};
    if (kind)
        return [query, kind = *kind](const QString& text) { return query->matches(kind, text); };
    return [query](const QString& text) { return query->matchesText(text); };
}

void findRowsByReading(Grid& grid, std::vector<NameColumn> columns, NameMemo& memo, const ReadingTable& readings)
{
    grid.setTypeAhead([columns = std::move(columns), &memo, &readings](const QString& typed, int col) {
        const NameColumn* column = columnOf(columns, col);
        return fuzzyTypeAhead(typed, column ? std::optional(column->kind) : std::nullopt, memo, readings);
    });
}

QComboBox* addOrderChoice(QBoxLayout* row, const QString& name)
{
    auto* choice = named(new QComboBox, name, u"並び順"_s);
    choice->addItems({u"読み（五十音）"_s, u"文字コード"_s});
    choice->setToolTip(u"名前の列を読みの五十音順で並べるか、文字コード順で並べるかを選びます"_s);
    auto* label = new QLabel(u"並び順："_s);
    label->setBuddy(choice);
    row->addWidget(label);
    row->addWidget(choice);
    showOrderChoice(choice);
    QObject::connect(choice, &QComboBox::activated, choice,
                     [](int index) { listoptions::setReadingOrder(index == 0); });
    return choice;
}

void showOrderChoice(QComboBox* choice)
{
    const QSignalBlocker quiet(choice);
    choice->setCurrentIndex(listoptions::readingOrder() ? 0 : 1);
}

QCheckBox* fuzzySwitch(const QString& name)
{
    auto* box = named(new QCheckBox(u"あいまい検索"_s), name);
    box->setToolTip(u"ひらがなとカタカナ、全角と半角、大文字と小文字を区別せず、読みやローマ字でも探します"_s);
    showFuzzySwitch(box);
    QObject::connect(box, &QCheckBox::toggled, box, [](bool on) { listoptions::setFuzzySearch(on); });
    return box;
}

void showFuzzySwitch(QCheckBox* box)
{
    const QSignalBlocker quiet(box);
    box->setChecked(listoptions::fuzzySearch());
}
