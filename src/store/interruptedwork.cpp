#include "interruptedwork.h"

#include "collectionfiles.h"
#include "datafolder.h"

using namespace Qt::Literals::StringLiterals;

namespace {

// Names enough to find the files again, without filling the screen.
QString listed(const QStringList& names)
{
    constexpr qsizetype kShown = 10;
    QString text = names.mid(0, kShown).join(u"\r\n"_s);
    if (names.size() > kShown)
        text += u"\r\nほか %1 個"_s.arg(names.size() - kShown);
    return text;
}

} // namespace

InterruptedWork finishInterruptedWork(DataFolder& folder)
{
    InterruptedWork work;
    if (folder.isReadOnly())
        return work;
    // Saves first: the last step of a deletion or a reset is such a save.
    work.finished = folder.finishInterruptedSaves();
    // Before the set-aside folders are looked at: a kept title put back part way is no
    // deletion under way, and its folder is no empty one.
    work.restores = kept::finishUnfinished(folder);
    work.setAside = SetAside::finishUnfinished(folder, {files::kDeletedPrefix, files::kResetPrefix}, &work.removed);
    work.collectionRestores = restore::finishUnfinished(folder);
    work.removed += folder.removeInterruptedSaves();
    return work;
}

QString InterruptedWork::title()
{
    return u"途中で終わっていた作業"_s;
}

QString InterruptedWork::message() const
{
    QStringList parts;
    if (!finished.isEmpty())
        parts.append(u"前回ウタバコが終わったとき、ファイルの保存が途中でした。保存を最後まで済ませました:\r\n"_s + listed(finished));
    for (const SetAside::Unfinished& w : setAside) {
        QString part;
        if (w.finished) {
            part = u"前回ウタバコが終わったとき、%1が途中でした。データの書き換えは済んでいたので、%1を最後まで済ませました。"
                   "移したファイルは「%2」フォルダにあります。"_s.arg(w.what, w.folder);
        } else {
            part = u"前回ウタバコが終わったとき、%1が途中でした。データは書き換わっていなかったので、移したファイルを元に戻しました。"
                   "%1はされていません。"_s.arg(w.what);
            if (!w.stuck.isEmpty())
                part += u"\r\n次のファイルは、同じ名前のファイルがデータフォルダにあるため「%1」フォルダに残しました:\r\n"_s.arg(w.folder)
                    + listed(w.stuck);
        }
        parts.append(part);
    }
    for (const kept::UnfinishedRestore& r : restores) {
        parts.append(r.finished
                         ? u"前回ウタバコが終わったとき、削除したタイトル「%1」を元に戻す途中でした。データへの書き込みは済んでいたので、"
                           "元に戻すのを最後まで済ませました。「%2」フォルダは片付けました。"_s.arg(r.name, r.folder)
                         : u"前回ウタバコが終わったとき、削除したタイトル「%1」を元に戻す途中でした。データは書き換わっていなかったので、"
                           "戻しかけたファイルを「%2」フォルダに入れ直しました。タイトルは元に戻っていません。"
                           "「編集」の「削除したタイトル」からもう一度元に戻せます。"_s.arg(r.name, r.folder));
    }
    for (const restore::Unfinished& w : collectionRestores) {
        parts.append(w.finished ? u"前回ウタバコが終わったとき、%1が途中でした。%1を最後まで済ませました。"
                                  "それまでのファイルは「%2」フォルダにあります。"_s.arg(w.what, w.folder)
                                : u"前回ウタバコが終わったとき、%1が途中でした。最後まで済ませられなかったので、"
                                  "すべて%1の前の状態に戻しました。"_s.arg(w.what));
    }
    return parts.join(u"\r\n\r\n"_s);
}
