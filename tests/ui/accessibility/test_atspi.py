#!/usr/bin/python3
"""vorqview as a screen reader meets it: the real program on the accessibility
bus, each window opened through its buttons, menus and shortcuts, every
focusable object checked for a name and a specific role, no Qt text left in
English. Run by run-atspi-test inside Xvfb and a session bus of its own.
Usage: test_atspi.py VORQVIEW CHARTSITE ALLOWLIST"""
import datetime, os, re, subprocess, sys, tempfile, time, wave
import pyatspi
from gi.repository import Atspi

VIEW, SITE, ALLOWLIST = sys.argv[1:4]
GENERIC = {pyatspi.ROLE_FILLER, pyatspi.ROLE_UNKNOWN, pyatspi.ROLE_PANEL,
           pyatspi.ROLE_REDUNDANT_OBJECT, pyatspi.ROLE_INVALID}
ENGLISH = re.compile(r'^(Scroll (Left|Right)|Yes|No|Cancel|Close|Apply|Open|Save|Help|Reset|Abort|Retry|'
                     r'Ignore|Discard|Show Details\.\.\.|Press|Toggle|SetFocus|Increase|Decrease)$')
ALLOWED = [re.compile(l.rstrip('\n')) for l in open(ALLOWLIST, encoding='utf-8')
           if l.strip() and not l.startswith('#')]
problems, checked, APP = [], [], []


def sjis_lines(path, lines):
    with open(path, 'wb') as f:
        f.write(''.join(l + '\r\n' for l in lines).encode('cp932'))


def make_fixture(root):
    """Eight weeks on the date list: five stored (rank 1 and 2 with WAV files),
    the newest three left for the bulk download from the local site."""
    today = datetime.date.today()
    newest = today - datetime.timedelta(days=(today.weekday() - 5) % 7 or 7)
    weeks = [newest - datetime.timedelta(weeks=7 - i) for i in range(8)]
    data, music = os.path.join(root, 'data'), os.path.join(root, 'music')
    os.makedirs(data), os.makedirs(music)
    index = []
    for w in weeks[:5]:
        rows = ['%d\t曲%d\t歌手%d' % (r, (r + w.toordinal() // 7) % 30, r % 7) for r in range(1, 21)]
        sjis_lines(os.path.join(data, w.strftime('%Y%m%d.txt')), rows)
        for r in (1, 2):
            song = os.path.join(music, '%s-%d.wav' % (w.strftime('%Y%m%d'), r))
            with wave.open(song, 'wb') as f:
                f.setnchannels(1), f.setsampwidth(2), f.setframerate(8000)
                f.writeframes(b'\0\0' * 16000)
            index.append('%s%03d\t%s\t' % (w.strftime('%Y%m%d'), r, song))
    sjis_lines(os.path.join(data, 'file.idx'), index)
    return data, weeks[0].strftime('%Y年%m月%d日')


def children(obj):
    try:
        return [c for c in obj if c is not None]
    except Exception:
        return []


def walk(obj, path, where):
    """Records every showing, focusable object without a name or with a
    generic role, and every Qt text still in English."""
    try:
        role, name, state = obj.getRole(), obj.name or '', obj.getState()
    except Exception:
        return
    if not state.contains(pyatspi.STATE_SHOWING):
        return
    here = '%s > %s %r' % (path, obj.getRoleName(), name)
    fault = None
    # A blank table cell reads as blank under its column's header.
    if state.contains(pyatspi.STATE_FOCUSABLE) and role != pyatspi.ROLE_TABLE_CELL:
        if not name.strip():
            fault = 'focusable without a name'
        elif role in GENERIC:
            fault = 'focusable with a generic role'
    if ENGLISH.match(name):
        fault = "Qt's text in English"
    if fault and not any(a.search(here) for a in ALLOWED):
        problems.append('%s: %s: %s' % (where, fault, here))
    checked.append(here)
    for c in children(obj):
        walk(c, here, where)


def find(root, role=None, name=None, pattern=None):
    for c in children(root):
        try:
            if ((role is None or c.getRole() == role) and (name is None or c.name == name)
                    and (pattern is None or re.search(pattern, c.name or ''))
                    and c.getState().contains(pyatspi.STATE_SHOWING)):
                return c
        except Exception:
            continue
        hit = find(c, role, name, pattern)
        if hit:
            return hit
    return None


def wait(what, probe, timeout=15):
    end = time.time() + timeout
    while time.time() < end:
        hit = probe()
        if hit:
            return hit
        time.sleep(0.1)
    if os.environ.get('ATSPI_SHOT'):
        subprocess.run(['import', '-window', 'root', os.environ['ATSPI_SHOT']])
        def dump(o, d):
            print('  ' * d, o.getRoleName(), repr(o.name), o.getState().contains(pyatspi.STATE_SHOWING))
            if d < 3: [dump(c, d + 1) for c in children(o)]
        dump(APP[0], 0)
    raise SystemExit('FAIL: %s did not appear within %ds' % (what, timeout))


def window(app, title, skip=()):
    return wait('window "%s"' % title, lambda: next(
        (w for w in children(app) if (w.name or '').startswith(title) and w not in skip
         and w.getState().contains(pyatspi.STATE_SHOWING)), None))


def press(root, name, role=pyatspi.ROLE_PUSH_BUTTON, click=False):
    for attempt in range(3):  # an object may go stale between finding and acting
        obj = wait('"%s"' % name, lambda: find(root, role, name))
        try:
            if click:  # a tool button opening a modal dialog answers the bus only when it closes
                x, y, w, h = obj.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
                subprocess.run(['xdotool', 'mousemove', str(x + w // 2), str(y + h // 2), 'click', '1'])
            else:
                action = obj.queryAction()
                names = [action.getName(i) for i in range(action.nActions)]
                action.doAction(names.index('Press') if 'Press' in names else 0)
            return obj
        except Exception as e:
            print('retrying "%s": %s' % (name, e))
            time.sleep(0.3)
    raise SystemExit('FAIL: cannot press "%s"' % name)


def keys(*seq):
    subprocess.run(['xdotool', 'key', '--clearmodifiers', *seq], check=True)
    time.sleep(0.3)


def check(app, title, where=None, skip=()):
    w = window(app, title, skip)
    time.sleep(0.3)  # let a window finish filling itself
    walk(w, '', where or title)
    return w


def closed(app, w):
    wait('the window to close', lambda: w not in children(app) or
         not w.getState().contains(pyatspi.STATE_SHOWING))


def chart_rows(main):
    """The chart's rows read as rank, title and artist; an associated row
    names its file as the description."""
    table = find(main, pyatspi.ROLE_TABLE)
    cells = [c for c in children(table) if c.getRole() == pyatspi.ROLE_TABLE_CELL]
    if not cells or not all(re.match(r'^\d+位 曲\d+ 歌手\d+$', c.name) for c in cells[:6]):
        problems.append('main: chart rows do not read "N位 曲名 アーティスト": %r' % [c.name for c in cells[:3]])
    elif not cells[0].description.endswith('.wav'):
        problems.append('main: an associated row does not name its file: %r' % cells[0].description)
    return table


def activate(title):
    found = subprocess.run(['xdotool', 'search', '--onlyvisible', '--name', '^%s$' % title],
                           capture_output=True, text=True).stdout.split()
    for w in found:
        subprocess.run(['xdotool', 'windowactivate', w], capture_output=True)
        subprocess.run(['xdotool', 'windowfocus', '--sync', w], capture_output=True)
    time.sleep(0.3)


def run(app):
    main = check(app, 'VORQ data viewer', 'main')
    table = chart_rows(main)

    # The player, from the date menu of the focused date list: its bar and
    # the queue window.
    # the date menu, whose popups are not on the tree: オンラインで開く, カウントダウン再生 > 全順位
    keys('shift+F10', 'Down', 'Down', 'Right', 'Return')
    press(main, '再生キュー')
    check(app, 'VORQ data viewer', 'main, a countdown playing')
    queue = check(app, '再生キュー')
    activate('再生キュー')
    keys('Escape')
    closed(app, queue)
    press(main, 'プレーヤーを閉じる')

    table.queryTable().addRowSelection(0)
    check(app, 'VORQ data viewer', 'main, a song selected')
    for button, dialog, close in [('検索', '検索', '検索開始'), ('リスト作成', 'Playlist Maker', '生成')]:
        press(main, button)
        d = check(app, dialog)
        press(d, close)
        r = check(app, '検索結果', '検索結果 (%s)' % dialog)
        press(r, '閉じる')
        if dialog == 'Playlist Maker':
            press(d, '閉じる')
        closed(app, d)

    for shortcut, title in [('ctrl+h', 'チャート履歴'), ('ctrl+t', 'ランキング集計'),
                            ('ctrl+l', 'ライブラリと照合'), ('ctrl+shift+l', '未所有の曲と収集率')]:
        activate('VORQ data viewer')
        keys(shortcut)
        press(check(app, title), '閉じる')

    press(main, '関連付けの履歴', click=True)
    keys('Down', 'Down', 'Return')
    press(check(app, '関連付けの履歴'), '閉じる')

    press(main, 'バージョン情報', click=True)
    press(check(app, 'VORQ Viewerのバージョン情報'), 'OK')

    press(main, 'Option')
    options = window(app, 'Option')
    tabs = find(options, pyatspi.ROLE_PAGE_TAB_LIST)
    for page in [t.name for t in children(tabs) if t.getRole() == pyatspi.ROLE_PAGE_TAB]:
        find(tabs, pyatspi.ROLE_PAGE_TAB, page).queryAction().doAction(0)
        time.sleep(0.3)
        walk(options, '', 'Option: ' + page)
        if page == 'Web':
            press(options, '一括で取得...')
            bulk = check(app, 'ダウンロードしています...')
            press(bulk, 'キャンセル')
            closed(app, bulk)
    press(options, 'CD-R作成ウィザード開始')
    wizard = window(app, 'CD-R作成ウィザード')
    for page in range(1, 9):
        time.sleep(0.3)
        walk(wizard, '', 'CD-R作成ウィザード page %d' % page)
        if page == 4:
            for box in pyatspi.findAllDescendants(wizard, lambda o: o.getRole() == pyatspi.ROLE_CHECK_BOX and
                                                  o.getState().contains(pyatspi.STATE_SHOWING)):
                box.queryAction().doAction(0)
        if page == 6:
            press(wizard, '別フォルダを参照', pyatspi.ROLE_RADIO_BUTTON, click=True)
        if page < 8:
            time.sleep(0.3)
            press(wizard, '次へ(N) >')
    press(wizard, 'キャンセル')
    question = check(app, 'CD-R作成ウィザード', 'the wizard\'s question', skip=[wizard])
    press(question, 'はい(Y)')
    closed(app, options)


def main():
    scratch = tempfile.mkdtemp(prefix='vorq-atspi.')
    data, start = make_fixture(scratch)
    site = subprocess.Popen([SITE, '--port', '0', '--delay-ms', '5000'], stdout=subprocess.PIPE, text=True)
    base = site.stdout.readline().split()[-1]
    env = dict(os.environ, HOME=scratch, XDG_DATA_HOME=scratch + '/share', XDG_CONFIG_HOME=scratch + '/config',
               QT_LINUX_ACCESSIBILITY_ALWAYS_ON='1', QT_QPA_PLATFORM='xcb', QT_ACCESSIBILITY='1')
    settings = scratch + '/share/Brelon/vorqview'
    os.makedirs(settings)
    sjis_lines(settings + '/vorqview.ini', [
        '[ImportData]', 'DataFolder=%s/' % data, '[Display]', 'DateStart=' + start, 'DateEndIsRecent=1',
        '[Web]', 'URL_Data="%s/vorq/cddb/countdown"yyyymmdd"-j.html"' % base, 'IgnoreError=1',
        '[AssociateFile]', 'DragDisabled=0'])
    program = os.path.join(scratch, 'vorqview')
    subprocess.run(['cp', VIEW, program], check=True)
    view = subprocess.Popen([program], env=env)
    began = time.time()
    try:
        desktop = pyatspi.Registry.getDesktop(0)
        app = wait('vorqview on the bus', lambda: next((a for a in children(desktop) if a.name == 'vorqview'), None))
        app.set_cache_mask(Atspi.Cache.NONE)  # pages come and go: never act on a stale child
        APP.append(app)
        run(app)
    finally:
        view.kill(), site.kill()
    print('%d objects checked in %.1f s' % (len(checked), time.time() - began))
    for p in problems:
        print(p)
    print('%d problems' % len(problems))
    return 1 if problems else 0


sys.exit(main())
