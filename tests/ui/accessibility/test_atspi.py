#!/usr/bin/python3
"""vorqview as a screen reader meets it: the built program on the accessibility
bus, each window opened through its buttons, menus and shortcuts; fails on a
showing, focusable object without a name or with a generic role, and on Qt's
texts left in English. Run by run-atspi-test (Xvfb, openbox, a session bus).
Usage: test_atspi.py VORQVIEW CHARTSITE ALLOWLIST"""
import datetime, os, re, subprocess, sys, tempfile, time, wave
import pyatspi
from gi.repository import Atspi

VIEW, SITE, ALLOWLIST = sys.argv[1:4]
GENERIC = {pyatspi.ROLE_FILLER, pyatspi.ROLE_UNKNOWN, pyatspi.ROLE_PANEL, pyatspi.ROLE_INVALID}
ENGLISH = re.compile(r'^(Scroll (Left|Right)|Yes|No|Cancel|Close|Apply|Open|Save|Help|Reset|Retry|Ignore)$')
ALLOWED = [re.compile(l.strip()) for l in open(ALLOWLIST, encoding='utf-8') if l.strip()[:1] not in ('', '#')]
problems, checked = [], []


def sjis(path, lines):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    open(path, 'wb').write(''.join(l + '\r\n' for l in lines).encode('cp932'))


def fixture(root, site):
    """Eight weeks listed: five stored (ranks 1 and 2 with WAV files), three
    for the bulk download from the local site."""
    today = datetime.date.today()
    newest = today - datetime.timedelta(days=(today.weekday() - 5) % 7 or 7)
    weeks = [newest - datetime.timedelta(weeks=7 - i) for i in range(8)]
    index = []
    for w in weeks[:5]:
        day = w.strftime('%Y%m%d')
        sjis('%s/data/%s.txt' % (root, day), ['%d\t曲%d\t歌手%d' % (r, (r + w.day) % 30, r % 7) for r in range(1, 21)])
        for r in (1, 2):
            with wave.open('%s/%s-%d.wav' % (root, day, r), 'wb') as f:
                f.setnchannels(1), f.setsampwidth(2), f.setframerate(8000), f.writeframes(b'\0\0' * 16000)
            index.append('%s%03d\t%s/%s-%d.wav\t' % (day, r, root, day, r))
    sjis(root + '/data/file.idx', index)
    sjis(root + '/share/Brelon/vorqview/vorqview.ini', [
        '[ImportData]', 'DataFolder=%s/data/' % root, '[Display]', 'DateEndIsRecent=1',
        'DateStart=' + weeks[0].strftime('%Y年%m月%d日'), '[Web]', 'IgnoreError=1',
        'URL_Data="%s/vorq/cddb/countdown"yyyymmdd"-j.html"' % site, '[AssociateFile]', 'DragDisabled=0'])


def children(obj):
    try:
        return [c for c in obj if c is not None]
    except Exception:
        return []


def showing(obj):
    try:
        return obj.getState().contains(pyatspi.STATE_SHOWING)
    except Exception:
        return False


def walk(obj, where, path=''):
    if not showing(obj):
        return
    role, name, state = obj.getRole(), obj.name or '', obj.getState()
    here = '%s > %s %r' % (path, obj.getRoleName(), name)
    fault = "Qt's text in English" if ENGLISH.match(name) else None
    # A blank table cell reads as blank under its column's header.
    if state.contains(pyatspi.STATE_FOCUSABLE) and role != pyatspi.ROLE_TABLE_CELL:
        fault = 'focusable without a name' if not name.strip() else \
            'focusable with a generic role' if role in GENERIC else fault
    if fault and not any(a.search(here) for a in ALLOWED):
        problems.append('%s: %s: %s' % (where, fault, here))
    checked.append(here)
    for c in children(obj):
        walk(c, where, here)


def find(root, role, name=None):
    for c in children(root):
        if showing(c) and c.getRole() == role and name in (None, c.name):
            return c
        hit = find(c, role, name)
        if hit:
            return hit


def wait(what, probe, timeout=15, fail=True):
    end = time.time() + timeout
    while time.time() < end:
        hit = probe()
        if hit:
            return hit
        time.sleep(0.1)
    if fail:
        raise SystemExit('FAIL: %s did not come within %d s' % (what, timeout))


def top(app, title, skip=()):
    return next((w for w in children(app) if (w.name or '').startswith(title) and w not in skip and showing(w)),
                None)


def window(app, title, skip=()):
    return wait('"%s"' % title, lambda: top(app, title, skip))


def check(app, title, where=None, skip=()):
    w = window(app, title, skip)
    time.sleep(0.3)  # let the window fill itself
    walk(w, where or title)
    return w


def closed(app, w):
    wait('the window to close', lambda: w not in children(app) or not showing(w))


def press(root, name, role=pyatspi.ROLE_PUSH_BUTTON, click=False):
    obj = wait('"%s"' % name, lambda: find(root, role, name))
    if click:  # a tool button answers the bus only when the dialog it opens has closed
        x, y, w, h = obj.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        subprocess.run(['xdotool', 'mousemove', str(x + w // 2), str(y + h // 2), 'click', '1'], check=True)
    else:
        obj.queryAction().doAction(0)


def keys(*seq, window=None):
    if window:  # focus goes to the window first
        for w in subprocess.run(['xdotool', 'search', '--onlyvisible', '--name', '^%s$' % window],
                                capture_output=True, text=True).stdout.split():
            subprocess.run(['xdotool', 'windowactivate', w], capture_output=True)
            subprocess.run(['xdotool', 'windowfocus', '--sync', w], capture_output=True)
    subprocess.run(['xdotool', 'key', '--clearmodifiers', *seq], check=True)
    time.sleep(0.3)


def through_menu(opener, seq, what, probe):
    """Popups are not on the tree: open the menu, walk it with keys, and try
    again when a loaded machine opened it late."""
    for attempt in range(3):
        opener()
        time.sleep(0.5 * (attempt + 1))
        keys(*seq)
        hit = wait(what, probe, 5 * (attempt + 1), fail=attempt == 2)
        if hit:
            return hit
        keys('Escape', 'Escape')


def run(app):
    main = check(app, 'VORQ data viewer', 'main')
    # Every row reads as rank, title and artist; an associated one names its file.
    table = pyatspi.findDescendant(main, lambda o: o.getRole() == pyatspi.ROLE_TABLE and showing(o))
    cells = [c for c in children(table) if c.getRole() == pyatspi.ROLE_TABLE_CELL]
    if not cells or not all(re.match(r'^\d+位 曲\d+ 歌手\d+$', c.name) for c in cells[:60]) \
            or not cells[0].description.endswith('-1.wav'):
        problems.append('main: rows do not read "N位 曲名 アーティスト" with the file: %r %r'
                        % ([c.name for c in cells[:3]], cells[0].description if cells else ''))

    # The date menu: カウントダウン再生 > 全順位.
    through_menu(lambda: keys('shift+F10'), ('Down', 'Down', 'Right', 'Return'), 'the player',
                 lambda: find(main, pyatspi.ROLE_PUSH_BUTTON, '再生キュー'))
    press(main, '再生キュー')
    check(app, 'VORQ data viewer', 'main, a countdown playing')
    queue = check(app, '再生キュー')
    keys('Escape', window='再生キュー')
    closed(app, queue)
    press(main, 'プレーヤーを閉じる')

    table.queryTable().addRowSelection(0)
    check(app, 'VORQ data viewer', 'main, a song selected')
    for button, dialog, go in [('検索', '検索', '検索開始'), ('リスト作成', 'Playlist Maker', '生成')]:
        press(main, button)
        d = check(app, dialog)
        press(d, go)
        press(check(app, '検索結果', '検索結果 after ' + dialog), '閉じる')
        if dialog == 'Playlist Maker':
            press(d, '閉じる')
        closed(app, d)
    for shortcut, title in [('ctrl+h', 'チャート履歴'), ('ctrl+t', 'ランキング集計'),
                            ('ctrl+l', 'ライブラリと照合'), ('ctrl+shift+l', '未所有の曲と収集率')]:
        keys(shortcut, window='VORQ data viewer')
        press(check(app, title), '閉じる')
    through_menu(lambda: press(main, '関連付けの履歴', click=True), ('Down', 'Down', 'Return'),
                 '"関連付けの履歴"', lambda: top(app, '関連付けの履歴'))
    press(check(app, '関連付けの履歴'), '閉じる')
    press(main, 'バージョン情報', click=True)
    press(check(app, 'VORQ Viewerのバージョン情報'), 'OK')

    press(main, 'Option')
    options = window(app, 'Option')
    tabs = wait('the pages', lambda: find(options, pyatspi.ROLE_PAGE_TAB_LIST))
    for page in [t.name for t in children(tabs) if t.getRole() == pyatspi.ROLE_PAGE_TAB]:
        press(tabs, page, pyatspi.ROLE_PAGE_TAB)
        walk(options, 'Option: ' + page)
        if page == 'Web':
            press(options, '一括で取得...')
            bulk = check(app, 'ダウンロードしています...')
            press(bulk, 'キャンセル')
            press(check(app, '一括で取得', 'the bulk download\'s summary'), 'OK')
            closed(app, bulk)
    press(options, 'CD-R作成ウィザード開始')
    wizard = window(app, 'CD-R作成ウィザード')
    for page in range(1, 9):
        time.sleep(0.3)
        walk(wizard, 'CD-R作成ウィザード page %d' % page)
        if page == 4:  # every option page on the way
            for box in pyatspi.findAllDescendants(wizard, lambda o: o.getRole() == pyatspi.ROLE_CHECK_BOX):
                box.queryAction().doAction(0) if showing(box) else None
        if page == 6:
            press(wizard, '別フォルダを参照', pyatspi.ROLE_RADIO_BUTTON, click=True)
        if page < 8:
            time.sleep(0.3)
            press(wizard, '次へ(N) >')
    press(wizard, 'キャンセル')
    press(check(app, 'CD-R作成ウィザード', "the wizard's question", skip=[wizard]), 'はい(Y)')
    closed(app, options)


with tempfile.TemporaryDirectory(prefix='vorq-atspi.') as scratch:
    site = subprocess.Popen([SITE, '--port', '0', '--delay-ms', '5000'], stdout=subprocess.PIPE, text=True)
    fixture(scratch, site.stdout.readline().split()[-1])
    subprocess.run(['cp', VIEW, scratch + '/vorqview'], check=True)
    view = subprocess.Popen([scratch + '/vorqview'], env=dict(
        os.environ, HOME=scratch, XDG_DATA_HOME=scratch + '/share', XDG_CONFIG_HOME=scratch + '/config',
        QT_LINUX_ACCESSIBILITY_ALWAYS_ON='1', QT_QPA_PLATFORM='xcb'))
    began = time.time()
    try:
        desktop = pyatspi.Registry.getDesktop(0)
        app = wait('vorqview on the bus', lambda: next((a for a in children(desktop) if a.name == 'vorqview'), None))
        app.set_cache_mask(Atspi.Cache.NONE)  # pages come and go: never act on a stale child
        run(app)
    finally:
        view.kill(), site.kill()
print('%d objects checked in %.1f s' % (len(checked), time.time() - began))
print('\n'.join(problems + ['%d problems' % len(problems)]))
sys.exit(1 if problems else 0)
