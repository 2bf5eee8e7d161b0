#include "coverwrite.h"

#include "app/appstate.h"
#include "app/tell.h"
#include "platform/dialogs.h"
#include "platform/picturebox.h"
#include "platform/thumbnails.h"
#include "store/filelisting.h"
#include "upkeep/coverimportrules.h"

#include <QFileInfo>

using namespace Qt::Literals::StringLiterals;
using namespace coverimportrules;

namespace {

// A ".jpg" copied in is not shown while the title has a ".gif" or ".bmp": the user is
// asked whether those go.
void offerToRemoveHidingPictures(AppState& state, Dialogs& dialogs, const QString& title, const QString& copied)
{
    QStringList hiding;
    for (const QString& name : picturesShownInstead(title, copied)) {
        if (state.folder.exists(name))
            hiding.append(QFileInfo(state.folder.filePath(name)).fileName());
    }
    if (hiding.isEmpty())
        return;
    if (dialogs.message(u"「%1」には、取り込んだ画像より優先して表示される既存の画像（%2）があります。\r\n\r\n"
                        "既存の画像を削除して、取り込んだ画像を表示するようにしますか？"_s.arg(title, hiding.join(u"、"_s)),
                        u"既存の画像"_s, Dialogs::Icon::Question, Dialogs::Buttons::YesNo, Dialogs::Answer::No)
        != Dialogs::Answer::Yes)
        return;
    for (const QString& name : hiding) {
        if (!state.folder.remove(name))
            dialogs.message(u"「%1」を削除できませんでした。"_s.arg(name), u"削除エラー"_s, Dialogs::Icon::Exclamation);
    }
}

} // namespace

QString writeCover(AppState& state, Dialogs& dialogs, FileListing& lyrics, const QString& title,
                   const QString& sourceName, const std::optional<QByteArray>& bytes, CoverFrom from)
{
    // The copy goes only to a title of the collection, whatever the name box was given.
    if (titleNamedOrTell(state.titles, title, dialogs) == 0)
        return {};
    const QString destination = destinationName(title, sourceName);
    if (isPlaceholder(destination)) {
        dialogs.message(u"「%1」は画像のないタイトルに表示する絵のファイル名なので、このタイトルには JPEG の画像を取り込めません。\r\n"
                        "BMP の画像を選んでください。"_s.arg(destination),
                        u"取り込み不可"_s, Dialogs::Icon::Exclamation);
        return {};
    }
    // Bytes that are no whole picture (a broken download, a text under a picture's name)
    // would only replace a good cover with nothing to show. The bytes checked are the
    // bytes written.
    if (!bytes || (from == CoverFrom::ImportPanel && !PictureBox::isPicture(*bytes))) {
        dialogs.message(u"「%1」は画像として読み込めないため、取り込めません。\r\n\r\n"
                        "壊れているか途中までしかないファイル、または大きすぎるファイルです。"_s.arg(sourceName),
                        u"取り込み不可"_s, Dialogs::Icon::Exclamation);
        return {};
    }
    if (!isTitlesPicture(title, destination)) {
        dialogs.message(u"「%1」はこのタイトルの画像として表示できない形式のため、取り込めません。\r\n\r\n"
                        "JPEG か BMP の画像を選んでください。"_s.arg(sourceName),
                        u"取り込み不可"_s, Dialogs::Icon::Exclamation);
        return {};
    }
    if (state.folder.exists(destination)) {
        const QString question =
            from == CoverFrom::ImportPanel
                ? u"同じ名前の画像が既に存在します。上書きしますか？"_s
                : u"「%1」には同じ名前の画像（%2）が既に存在します。上書きしますか？"_s.arg(
                      title, QFileInfo(state.folder.filePath(destination)).fileName());
        if (dialogs.message(question, u"上書き確認"_s, Dialogs::Icon::Exclamation, Dialogs::Buttons::OkCancel)
            != Dialogs::Answer::Ok)
            return {};
    }

    // Read whole first, then written whole or not at all: a failure leaves the data
    // folder as it was.
    const WriteResult written = state.folder.writeBytes(destination, *bytes);
    if (!written.ok()) {
        tellWriteFailure(dialogs, written);
        return {};
    }
    // Its thumbnails are made again from the new picture, even where the file system
    // keeps times too coarse to tell it from the old one.
    thumbnails::forget(state.folder.filePath(destination));
    lyrics.refresh();
    offerToRemoveHidingPictures(state, dialogs, title, destination);
    // The catalogue shows the new picture when it is opened next.
    state.CatalogueReady = false;
    return destination;
}
