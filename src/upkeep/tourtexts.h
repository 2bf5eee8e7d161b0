#pragma once

#include <QString>

// The guidance texts of the help tour and the worked examples that fill empty memos
// while the tour is on. Lines end in CR LF.
namespace tour {

inline const QString kStartUp1 = QStringLiteral(
    "起動時のこの画面はタイトル１題目に対しての各種情報が表示されているメイン画面です｡ \r\n\r\n"
    "「タイトル」や「アーティスト名」、「ジャンル」、「お気に入り度」…などの表示\r\n"
    "タイトルに含まれる曲目、タイトルの画像を表示してます。\r\n\r\n"
    "一通り確認したら、左上の新規ボタンを押してみましょう");

inline const QString kStartUp2 = QStringLiteral(
    "タイトルの画像や曲目、歌詞はインターネット上から簡単に入手することができます。\r\n"
    "（Amazonや歌ネットなど）\r\n\r\n"
    "画像や歌詞を一緒にコレクションすることで楽しさがアップすると思います");

inline const QString kNewTitle = QStringLiteral(
    "タイトル情報を追加することができます。\r\n\r\n"
    "最初にタイトル名を聞いてきますので、タイトル名を入力します。\r\n"
    "これだけでひとまず１タイトル分の登録が終了です。\r\n\r\n");

inline const QString kNewTitleAdded = QStringLiteral(
    "アーティスト名、ジャンル、評価が「未登録」になっていますので必要に応じて登録します。\r\n"
    "※歌詞データも管理した場合、アーティスト名は指定しておくことをお薦めします。\r\n\r\n"
    "タイトル名だけでいいや！という方はこのままでＯＫです。");

inline const QString kNewTitlePicture = QStringLiteral(
    "＜画像の表示方法＞\r\n\r\n"
    "①まずはネット上からＣＤタイトルの画像を取得し任意の場所に保存しておきます。"
    "（https://www.amazon.co.jp/ がお薦めです）\r\n"
    "（スキャナをお持ちならそちらでもＯＫですがネット上からのダウンロードがお手軽です。）\r\n\r\n"
    "②画像表示部をクリックすると、画像読み込みのための枠が表示されます。\r\n"
    "ここで①にて取得しておいたファイルを選択して確定ボタンを押すだけ。\r\n\r\n"
    "間違った画像を割り付けてしまった場合はもう一度同じ作業を繰り返して正しい画像を取得してください。");

inline const QString kNewTitleTracks = QStringLiteral(
    "曲目データを登録したい場合は「曲目登録ボタン」を押してください。\r\n");

inline const QString kTrackEntryExample = QStringLiteral(
    "＜曲目登録のルール＞\r\n"
    "\r\n"
    "街の風景\r\n"
    "はじまりさえ歌えない\r\n"
    "　　　　：\r\n"
    "こんなふうでも…\r\n"
    "\r\n"
    "1.街の風景\r\n"
    "2.はじまりさえ歌えない\r\n"
    "　　　　：\r\n"
    "こんな風に先頭に曲番が入っていてもＯＫ\r\n"
    "※Amazonからのコピーだとこうなります。\r\n"
    "\r\n"
    "ベスト版自作時はアーティスト名を「複数」とし、\r\n"
    "街の風景/ミナモ航路　のように曲名とアーティスト名を\r\n"
    "　　　　：\r\n"
    "「/（スラッシュ）」で区切って入力します。\r\n"
    "\r\n"
    "わかったら上記を削除し、ルールに従って曲目を用意してください。\r\n"
    "\r\n"
    "※　AmazonのURL　　https://www.amazon.co.jp/");

inline const QString kTrackEntry = QStringLiteral(
    "＜曲目の登録方法＞\r\n"
    "\r\n"
    "曲目登録ボタンを押すと自由に書き込めるメモ欄が表示されます。\r\n"
    "手入力も可能ですが、ここでもネット上からの曲目データ取得で楽をしましょう！（amazon.co.jpがお薦め）\r\n"
    "\r\n"
    "曲目データをコピーして、メモ欄に貼り付けします。\r\n"
    "\r\n"
    "1.○○～　のように先頭に曲順の文字があってもそのままでＯＫ！。曲目確定ボタンを押します。\r\n"
    "自動的に文字を切り分け曲データとして個別に表示および保存をしてくれます。\r\n"
    "\r\n"
    "※ベスト版などを自作してアーティスト名を「複数」とした場合は、曲名/アーティスト名　のように\r\n"
    "「/（スラッシュ）」で区切って登録をすると、自動的に曲名とアーティスト名を切り分けます。\r\n");

inline const QString kTracksRegistered = QStringLiteral(
    "歌詞データを登録したい場合は登録したい曲目の行をクリックしてください。");

inline const QString kLyricsExample = QStringLiteral(
    "＜歌詞登録のルール＞\r\n"
    "\r\n"
    "好きなところで改行しながら自由に入力します。\r\n"
    "\r\n"
    "ネット上から歌詞データを取得すると楽チンです。\r\n"
    "\r\n"
    "※　歌ネットのURL 　https://www.uta-net.com/");

inline const QString kLyrics = QStringLiteral(
    "＜歌詞データの登録方法＞\r\n"
    "\r\n"
    "歌詞を自由に書き込めるメモ欄が表示されます。\r\n"
    "手入力も可能ですが、ここでもネット上からの歌詞データ取得で楽をしましょう！（歌ネットがお薦め）\r\n"
    "\r\n"
    "歌詞データをコピーして、メモ欄に貼り付けします。あとは保存ボタンを押すだけ。\r\n"
    "\r\n"
    "印刷ボタンを押すと歌詞を印刷することができます。\r\n");

inline const QString kTitleList = QStringLiteral(
    "それぞれのタイトルにおける各種データを一覧表示しています。\r\n\r\n"
    "各種データ毎に「昇順」「降順」で並び替えができます。\r\n"
    "アーティスト毎に並び替えたり、ジャンル毎に並び替えたり…など表示をかえることができます。\r\n\r\n"
    "任意のタイトルの行をダブルクリックするとそのタイトルでメイン画面を表示することができます。\r\n\r\n"
    "「メインに反映ボタン」を押すと並び替えた順番でメインの順番も入れ替わります。\r\n\r\n"
    "「情報追加ボタン」を押すと＜メディア＞と＜日付け＞、＜メモ＞を追加登録できるフレームが表示されます\r\n"
    "必要に応じて登録してください。\r\n\r\n"
    "※日付けは自動的に登録した日が保存されていますが、発売日などに変えてもいいと思います。\r\n"
    "※メモ欄は○○に貸し出し中…など、自由に使ってください。\r\n");

inline const QString kSongList = QStringLiteral(
    "それぞれの曲目における各種データを一覧表示しています。\r\n\r\n"
    "各種データ毎に「昇順」「降順」で並び替えができます。\r\n"
    "アーティスト毎に並び替えたり、ジャンル毎に並び替えたり…など表示をかえることができます。\r\n\r\n"
    "任意のタイトルの行をダブルクリックするとそのタイトルでメイン画面を表示することができます。\r\n\r\n"
    "「情報追加ボタン」を押すと＜ジャンル＞、＜作詞＞、＜作曲＞、＜編曲＞を追加登録できるフレームが表示されます\r\n"
    "必要に応じて登録してください。\r\n\r\n");

} // namespace tour
