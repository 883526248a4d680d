#!/usr/bin/python3
"""Asks Text2 of the real program, under its own Xvfb, session bus and
accessibility bus, for the text at, before and after offsets 0, the middle,
past the first MiB and the end, for every boundary kind, as a screen reader
does over AT-SPI (pyatspi), and prints each answer with its time.

    scripts/screen-reader-check.py build/app/hexmoth [MIB [ENCODING]]

The file is MIB (64) mebibytes of Japanese lines that starts with
"<?xml" (no word at offset 0), in ENCODING (cp932, utf-8, euc-jp,
utf-16-le or utf-16-be; cp932 unless said); Text2 is switched to it
through its context menu before the questions. Needs Xvfb, xdotool, dbus-daemon,
at-spi2-core and python3-pyatspi."""
import os
import subprocess
import sys
import tempfile
import time

binary = os.path.abspath(sys.argv[1])
mib = int(sys.argv[2]) if len(sys.argv) > 2 else 64
encoding = sys.argv[3] if len(sys.argv) > 3 else 'cp932'
menu_item = ['cp932', 'utf-8', 'euc-jp', 'utf-16-le', 'utf-16-be'].index(encoding)
work = tempfile.mkdtemp(prefix='hexmoth-a11y-')
path = os.path.join(work, 'japanese.xml')
line = '日本語の文です。次の文！ word1 word2\r\n'.encode(encoding)
with open(path, 'wb') as f:
    f.write('<?xml version="1.0" encoding="Shift_JIS"?>\r\n'.encode(encoding))
    f.write(line * (mib * 1024 * 1024 // len(line)))


def server(arguments):
    process = subprocess.Popen(arguments, stdout=subprocess.PIPE, env=env)
    return process, process.stdout.readline().decode().strip()


env = dict(os.environ, XDG_RUNTIME_DIR=work)
env.pop('AT_SPI_BUS_ADDRESS', None)
env.pop('QT_QPA_PLATFORM', None)
xvfb, display = server(['Xvfb', '-displayfd', '1', '-screen', '0', '1024x768x24', '-nolisten', 'tcp'])
env['DISPLAY'] = ':' + display
bus, address = server(['dbus-daemon', '--session', '--nofork', '--print-address=1'])
env['DBUS_SESSION_BUS_ADDRESS'] = address
env['QT_LINUX_ACCESSIBILITY_ALWAYS_ON'] = '1'
os.environ.update(env)
import pyatspi  # noqa: E402  (after the buses are set)

hexmoth = subprocess.Popen([binary], env=env)


def xdotool(*arguments):
    return subprocess.run(['xdotool', *arguments], env=env, capture_output=True, text=True, timeout=30).stdout.strip()


def find(node, test):
    if test(node):
        return node
    for child in node:
        if child is not None:
            found = find(child, test)
            if found is not None:
                return found
    return None


def app():
    for _ in range(200):
        for a in pyatspi.Registry.getDesktop(0):
            if a is not None and a.name == 'hexmoth':
                return a
        time.sleep(0.1)
    raise SystemExit('hexmoth did not appear on the accessibility bus')


try:
    window = xdotool('search', '--sync', '--onlyvisible', '--name', '^Hexmoth$').split('\n')[0]
    hexmoth_app = app()
    label1 = find(hexmoth_app, lambda n: n.getRoleName() == 'label' and n.description == '実行状態')
    x, y = (7920 + 1455 // 2) // 15, (120 + 375 // 2) // 15  # Command1's centre, twips to pixels
    xdotool('mousemove', '--window', window, str(x), str(y), 'click', '1')
    dialog = xdotool('search', '--sync', '--onlyvisible', '--name', '開く').split('\n')[0]
    xdotool('windowfocus', '--sync', dialog)
    xdotool('type', '--delay', '10', path)
    xdotool('key', 'Return')
    started = time.time()
    while not label1.name.startswith('実行終了') and time.time() - started < 60:
        time.sleep(0.1)
    print('status:', label1.name)
    text2_node = find(hexmoth_app, lambda n: n.getRoleName() == 'text' and n.name == 'ファイルのテキスト')
    text2 = text2_node.queryText()
    if menu_item:
        text2_node.queryComponent().grabFocus()
        count = text2.characterCount
        xdotool('key', '--delay', '150', 'shift+F10', 'e', *['Down'] * menu_item, 'Return')
        started = time.time()
        while text2.characterCount == count and time.time() - started < 60:
            time.sleep(0.1)
        print(f'switched to {encoding} in about {time.time() - started:.1f} s')
    count = text2.characterCount
    print('characters:', count)
    kinds = [('CHAR', pyatspi.TEXT_BOUNDARY_CHAR), ('WORD_START', pyatspi.TEXT_BOUNDARY_WORD_START),
             ('WORD_END', pyatspi.TEXT_BOUNDARY_WORD_END), ('SENTENCE_START', pyatspi.TEXT_BOUNDARY_SENTENCE_START),
             ('SENTENCE_END', pyatspi.TEXT_BOUNDARY_SENTENCE_END), ('LINE_START', pyatspi.TEXT_BOUNDARY_LINE_START),
             ('LINE_END', pyatspi.TEXT_BOUNDARY_LINE_END)]
    slowest = 0.0
    for offset in [0, count // 2, 1_100_000, count - 1, count]:
        for name, kind in kinds:
            for call in ('getTextAtOffset', 'getTextBeforeOffset', 'getTextAfterOffset'):
                before = time.perf_counter()
                got, start, end = getattr(text2, call)(offset, kind)
                ms = (time.perf_counter() - before) * 1000
                slowest = max(slowest, ms)
                print(f'{call:20} {offset:>10} {name:15} {ms:7.2f} ms  ({start}, {end}) {got[:24]!r}')
        before = time.perf_counter()
        whole = text2.getText(offset, min(offset + 20, count))
        print(f'{"getText":20} {offset:>10} {"":15} {(time.perf_counter() - before) * 1000:7.2f} ms  {whole!r}')
    print(f'slowest query: {slowest:.2f} ms (round trip over the bus included)')
finally:
    hexmoth.kill()
    for process in (bus, xvfb):
        process.terminate()
    os.remove(path)
