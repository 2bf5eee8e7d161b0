#include "titlefinder.h"

#include "lists/nameorder.h"
#include "store/titletable.h"

#include <QComboBox>
#include <QCompleter>
#include <QLineEdit>
#include <QStringListModel>

namespace {

// The most titles offered at once: a few letters can find thousands.
constexpr int kMostOffered = 200;

} // namespace

void findTitlesAsTyped(QComboBox* box, NameMemo& memo, const ReadingTable& readings, const TitleTable& titles)
{
    auto* completer = new QCompleter(box);
    auto* found = new QStringListModel(completer);
    completer->setModel(found);
    completer->setCompletionMode(QCompleter::UnfilteredPopupCompletion);
    completer->setMaxVisibleItems(15);
    // The line edit offers the list right after it tells of the edit, from the names
    // set here.
    QObject::connect(box->lineEdit(), &QLineEdit::textEdited, box,
                     [box, completer, found, &memo, &readings, &titles](const QString& text) {
                         if (!listoptions::fuzzySearch()) {
                             if (box->completer())
                                 box->setCompleter(nullptr);
                             return;
                         }
                         const FuzzyNameQuery query(memo, readings, text);
                         QStringList names;
                         for (const TitleRecord& t : titles.records()) {
                             if (names.size() == kMostOffered || query.isEmpty())
                                 break;
                             if (query.matches(ReadingKind::Title, t.name))
                                 names.append(t.name);
                         }
                         found->setStringList(names);
                         if (box->completer() != completer)
                             box->setCompleter(completer);
                     });
}
