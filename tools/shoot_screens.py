"""Drives a running ウタバコ to each screen and photographs the X screen.

Started by tools/shoot_screens.sh inside its own D-Bus session and X server. Controls are
found through the accessibility tree by role and accessible name, and clicked at the
middle of the place they report, so a change of layout moves the clicks with it.

    shoot_screens.py OUTDIR main        every screen at 100 %
    shoot_screens.py OUTDIR main-200    the main screen only (run at 200 %)

SHOOT_DEBUG=1 tells each click on standard error.
"""

import os
import subprocess
import sys
import time

import pyatspi

OUT, WHICH = sys.argv[1], sys.argv[2]
SCALE = float(os.environ.get("QT_SCALE_FACTOR", "1"))


def fail(text):
    sys.stderr.write("shoot_screens: %s\n" % text)
    sys.exit(1)


def program():
    for _ in range(100):
        for app in pyatspi.Registry.getDesktop(0):
            if app is not None and app.name == "ウタバコ":
                return app
        time.sleep(0.2)
    fail("the program did not appear on the accessibility bus")


APP = program()


def showing(obj):
    try:
        if not obj.getState().contains(pyatspi.STATE_SHOWING):
            return False
        ext = obj.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        return ext.width > 0 and ext.height > 0
    except Exception:
        return False


def find_all(role, name=None, within=None):
    found = []

    def walk(obj):
        for child in obj:
            if child is None or not showing(child):
                continue
            if child.getRoleName() == role and (name is None or child.name == name):
                found.append(child)
            walk(child)

    walk(within or APP)
    return found


def find(role, name=None, within=None):
    for _ in range(50):
        hits = find_all(role, name, within)
        if hits:
            return hits[0]
        time.sleep(0.2)
    fail("no %s named %r on the screen" % (role, name))


def xdotool(*args):
    subprocess.run(["xdotool", *args], check=True)


def middle(obj):
    ext = obj.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    return round((ext.x + ext.width / 2) * SCALE), round((ext.y + ext.height / 2) * SCALE)


def settle(seconds=0.7):
    time.sleep(seconds)


def click(obj, double=False):
    x, y = middle(obj)
    if os.environ.get("SHOOT_DEBUG"):
        sys.stderr.write("click %s %r at %d,%d\n" % (obj.getRoleName(), obj.name, x, y))
    xdotool("mousemove", "--sync", str(x), str(y))
    xdotool("click", *(["--repeat", "2", "--delay", "80"] if double else []), "1")
    settle()


def press(caption):
    # The screen buttons are checkable: the one of the screen on view is checked.
    for _ in range(50):
        hits = find_all("push button", caption) + find_all("check box", caption)
        if hits:
            click(hits[0])
            return
        time.sleep(0.2)
    fail("no button named %r on the screen" % caption)


def type_into(box, text, enter=True):
    click(box)
    box.queryEditableText().setTextContents(text)
    if enter:
        xdotool("key", "Return")
    settle()


def show_title(number):
    bar = find("scroll bar", "タイトル送り")
    bar.queryValue().currentValue = number
    settle(1.0)


def cell(table, text):
    for c in find_all("table cell", text, table):
        return c
    fail("no cell %r in %r" % (text, table.name))


def shoot(name):
    settle(0.5)
    path = os.path.join(OUT, name + ".png")
    subprocess.run(["import", "-window", "root", path], check=True)
    print(path)


def open_title(name):
    """Shows the title on the main screen by its place in the title combo."""
    combo = [c for c in find_all("combo box") if any(i.name == name for i in c[0])][0]
    for i, item in enumerate(combo[0]):
        if item.name == name:
            show_title(i + 1)
            return
    fail("no title %r" % name)


press("メイン")
open_title("風見鶏の手紙")
if WHICH == "main-200":
    shoot("main-screen-200")
    sys.exit(0)
shoot("main-screen")

# A compilation with its lyrics panel open.
open_title("ドライブ・ソングス")
click(cell(find("table", "曲目"), "雨上がりの自転車"))
shoot("compilation-lyrics")
press("画像表示に戻る")

press("題一覧")
titles = find("table", None, find_all("push button", "情報追加")[0].parent)
press("情報追加")
click(cell(titles, "冬のプラネタリウム"))
shoot("title-list")

press("曲一覧")
songs = find("table", None, find_all("push button", "情報追加")[0].parent)
press("情報追加")
click(cell(songs, "港町ステップ"))
shoot("song-list")

press("題検索")
click(find("list item", "葉月つむぎ"))
shoot("title-search")

press("曲検索")
keys = find_all("text", None, find("panel", "検索項目"))
type_into(keys[1], "星")
found = find("table", "検索結果の曲")
click(cell(found, "冬のプラネタリウム"))
lyrics = find("panel", "歌詞")
type_into(find("text", "キー", lyrics), "星", enter=False)
press("検索")
press("検索")
shoot("song-search")
# On to the last place the word stands, until the search says it is done.
for _ in range(20):
    done = [w for w in find_all("alert") + find_all("dialog") if w.name == "検索終了"]
    if done:
        break
    press("検索")
else:
    fail("the search never finished")
shoot("search-finished")
xdotool("key", "Return")
settle()

press("ランク")
order = find("list")
src, dst = find("list item", "ランプの灯る店", order), find("list item", "冬のプラネタリウム", order)
x0, y0 = middle(src)
x1, y1 = middle(dst)
xdotool("mousemove", "--sync", str(x0), str(y0))
xdotool("mousedown", "1")
for step in range(1, 9):
    xdotool("mousemove", "--sync", str(x0 + (x1 - x0) * step // 8), str(y0 + (y1 - y0) * step // 8))
    time.sleep(0.05)
shoot("ranking")
xdotool("mousemove", "--sync", str(x0), str(y0))
xdotool("mouseup", "1")
settle()

press("画像")
shoot("catalogue")
# In a small window the covers shrink and the window stays as it is.
window = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^ウタバコ$"], capture_output=True,
                        text=True, check=True).stdout.split()[0]
xdotool("windowsize", window, str(round(1000 * SCALE)), str(round(620 * SCALE)))
settle(1.0)
shoot("catalogue-small")
xdotool("windowsize", window, str(round(1280 * SCALE)), str(round(800 * SCALE)))
settle(1.0)

press("編集")
shoot("master-screen")

# The names waiting for a reading, with the suggestions made while the screen is open.
press("読みの確認")
settle(1.5)
shoot("reading-check")
press("閉じる")

# The music import, on a folder of tagged files when the shell script made one.
if os.environ.get("SHOOT_MUSIC"):
    press("音楽ファイルから取り込み")
    press("フォルダを選ぶ...")
    settle(1.5)
    xdotool("type", "--delay", "20", os.environ["SHOOT_MUSIC"])
    xdotool("key", "Return")
    albums = find("table", "見つかったアルバム")
    for _ in range(50):
        if len(find_all("table cell", None, albums)) > 9:
            break
        time.sleep(0.2)
    shoot("music-import")

# The ways back: a deleted title kept, and the days of the history.
press("編集")
press("削除したタイトル")
settle(1.0)
shoot("deleted-titles")
press("閉じる")
press("履歴・初期化前に戻す")
settle(1.0)
shoot("history")
press("閉じる")

# Last, as it stays open over the window: the help.
press("ヘルプ")
settle(1.5)
shoot("help")
