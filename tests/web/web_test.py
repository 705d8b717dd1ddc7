#!/usr/bin/env python3
"""The page in a real headless Chromium, driven over the DevTools protocol and served on 127.0.0.1,
checked pixel for pixel against lightmatrix-render. Usage: web_test.py PAGE_FOLDER RENDER CASE"""
import base64, functools, http.server, json, os, subprocess, sys, tempfile, threading, time
import urllib.request, websocket

PAGE, RENDER, CASE = sys.argv[1:]
FOLDER = tempfile.TemporaryDirectory(ignore_cleanup_errors=True)  # Chromium profile, pictures
START = 45296.25  # the faked clock's seconds after local midnight when the page starts
# Runs before the page's own scripts: Date and performance.now() read a clock that starts at
# START and moves 250 ms at each animation frame, as late frames do, up to stopAt ms.
FAKE_CLOCK = """const RealDate = Date, start = new RealDate(2024, 0, 1).getTime() + %r;
let now = 0, stopAt = 0, fakeNow = () => now, request = requestAnimationFrame.bind(window);
requestAnimationFrame = (callback) => request(() => callback(now = Math.min(now + 250, stopAt)));
performance.now = fakeNow;
Date = class extends RealDate { constructor(...a) { a.length ? super(...a) : super(start + now) } };
Date.now = () => start + now;""" % (START * 1000)


def wait(condition, what):
    deadline = time.monotonic() + 60
    while not (value := condition()):
        assert time.monotonic() < deadline, 'never came: ' + what
        time.sleep(0.05)
    return value


def to_rgb(png):
    return subprocess.run(['convert', 'png:-', '-depth', '8', 'rgb:-'], input=png,
                          capture_output=True, check=True).stdout


class Browser:
    def __init__(self, scale, fake_clock):
        handler = functools.partial(http.server.SimpleHTTPRequestHandler, directory=PAGE)
        self.server = http.server.ThreadingHTTPServer(('127.0.0.1', 0), handler)
        threading.Thread(target=self.server.serve_forever, daemon=True).start()
        self.chromium = subprocess.Popen(
            ['chromium', '--headless', '--no-sandbox', '--disable-gpu', '--disable-quic',
             '--no-first-run', '--disable-background-networking', '--disable-component-update',
             '--disable-sync', '--user-data-dir=' + FOLDER.name, '--remote-debugging-port=0',
             '--window-size=1000,700', f'--force-device-scale-factor={scale}', 'about:blank'],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
            env=dict(os.environ, TZ='Asia/Kolkata'))  # a local time that is not UTC
        port_file = os.path.join(FOLDER.name, 'DevToolsActivePort')
        port = wait(lambda: os.path.exists(port_file) and open(port_file).read().split(), 'port')[0]
        targets = json.load(urllib.request.urlopen(f'http://127.0.0.1:{port}/json'))
        page = next(t for t in targets if t['type'] == 'page')
        self.socket = websocket.create_connection(page['webSocketDebuggerUrl'])
        self.calls = 0
        self.send('Page.enable')
        if fake_clock:
            self.send('Page.addScriptToEvaluateOnNewDocument', source=FAKE_CLOCK)
        self.send('Page.navigate', url=f'http://127.0.0.1:{self.server.server_port}/index.html')

    def send(self, method, **params):
        self.calls += 1
        self.socket.send(json.dumps({'id': self.calls, 'method': method, 'params': params}))
        while (reply := json.loads(self.socket.recv())).get('id') != self.calls:
            pass
        assert 'error' not in reply, reply
        return reply['result']

    def js(self, expression):
        return self.send('Runtime.evaluate', expression=expression, returnByValue=True,
                         awaitPromise=True, replMode=True)['result'].get('value')

    def canvas(self):
        url = self.js("document.getElementById('window').toDataURL()")
        return to_rgb(base64.b64decode(url.split(',')[1]))

    def message(self):
        return self.js("document.getElementById('message').innerText") or ''

    def advance(self, ms):
        wait(lambda: self.js(f'stopAt = {ms}; fakeNow()') == ms, f'the clock at {ms} ms')

    def mouse(self, x, y, *kinds):
        for kind in kinds:
            self.send('Input.dispatchMouseEvent', type=kind, x=x, y=y, button='left', clickCount=1)

    def drop(self, path):
        data = {'items': [], 'files': [path], 'dragOperationsMask': 1}
        for kind in ('dragEnter', 'dragOver', 'drop'):
            self.send('Input.dispatchDragEvent', type=kind, x=500, y=300, data=data)


def render(size, dpi, seconds, *operations):
    out = os.path.join(FOLDER.name, 'render.png')
    dump = subprocess.run([RENDER, '--size', '%dx%d' % tuple(size), '--dpi', str(dpi), '--start',
                           str(START), '--seconds', str(seconds), *operations, '--dump', out],
                          capture_output=True, text=True, check=True).stdout.splitlines()
    return to_rgb(open(out, 'rb').read()), dump


def canvas_size():
    return wait(lambda: browser.js(
        "(c => c.width == innerWidth * devicePixelRatio && c.height == innerHeight * "
        "devicePixelRatio && [c.width, c.height])(document.getElementById('window'))"),
        'a canvas in device pixels')


def lights(scale):
    """The lights pile up, each as lightmatrix-render puts it at 96 x scale DPI, and no more."""
    size, lit = canvas_size(), []
    for seconds in (1, 3):
        browser.advance(seconds * 1000)
        expected, dump = render(size, 96 * scale, seconds)
        assert browser.canvas() == expected, f'the canvas after {seconds} s'
        lit.append(len(dump))
    assert 50 < lit[0] < lit[1], lit


def ended(by_key):
    """A mouse move does nothing; a key press, or a click, ends it for good, out of full screen."""
    canvas_size()
    wait(lambda: any(browser.canvas()), 'a light')
    if by_key:
        browser.mouse(*browser.js("const r = document.getElementById('fullscreen')"
                                  ".getBoundingClientRect(); [r.x + 5, r.y + 5]"),
                      'mousePressed', 'mouseReleased')
        wait(lambda: browser.js('!!document.fullscreenElement'), 'full screen')
        for x in range(100, 700, 50):
            browser.mouse(x, x / 2, 'mouseMoved')
        moved = browser.canvas()
        wait(lambda: browser.canvas() != moved, 'new lights after a mouse move')
        browser.send('Input.dispatchKeyEvent', type='keyDown', key='a', text='a')
        browser.send('Input.dispatchKeyEvent', type='keyUp', key='a')
    else:
        browser.mouse(700, 500, 'mousePressed', 'mouseReleased')
    wait(lambda: 'Reload the page' in browser.message(), 'the line that tells how to start again')
    assert not browser.js('!!document.fullscreenElement')
    last = browser.canvas()
    time.sleep(0.5)
    assert browser.canvas() == last, 'new lights after the end'


def picture():
    """A dropped picture with an alpha channel lands as lightmatrix-render --picture puts it, a
    click on the panel hides it, and a file that is no picture changes nothing, is reported, and
    the program goes on."""
    size = canvas_size()
    browser.advance(1000)
    translucent, garbage = (os.path.join(FOLDER.name, n) for n in ('translucent.png', 'garbage.png'))
    subprocess.run(['convert', '-size', '300x100', '-seed', '7', 'xc:', '+noise', 'Random', '-alpha',
                    'set', '-channel', 'A', '-fx', 'i/w', '+channel', 'PNG32:' + translucent],
                   check=True)  # as the desktop tests' writeTranslucentPng
    open(garbage, 'wb').write(b'not a picture at all')
    browser.drop(translucent)
    mosaic = render(size, 96, 1, '--picture', translucent)[0]
    wait(lambda: browser.canvas() == mosaic, 'the mosaic of the dropped picture')
    browser.mouse(465, 105, 'mousePressed', 'mouseReleased')
    hidden, _ = render(size, 96, 1, '--picture', translucent, '--click-panel')
    wait(lambda: browser.canvas() == hidden, 'the panel hidden by a click')
    browser.drop(garbage)
    wait(lambda: 'garbage.png' in browser.message(), 'the error for a file that is no picture')
    assert 'run-time error' in browser.message() and browser.canvas() == hidden
    browser.advance(1500)
    assert browser.canvas() != hidden


def sleeps():
    """Hidden (its window minimised), the page runs no tick; shown again it runs every tick due
    and shows what running on would have, across a clearing, though the browser gave it no
    frame meanwhile."""
    size = canvas_size()
    browser.advance(1000)
    assert browser.canvas() == render(size, 96, 1)[0]
    window = browser.send('Browser.getWindowForTarget')['windowId']
    browser.send('Browser.setWindowBounds', windowId=window, bounds={'windowState': 'minimized'})
    wait(lambda: browser.js('document.hidden'), 'the page hidden')
    browser.js('now = stopAt = 400000')
    browser.send('Browser.setWindowBounds', windowId=window, bounds={'windowState': 'normal'})
    wait(lambda: not browser.js('document.hidden'), 'the page shown')
    expected = render(size, 96, 400)[0]
    wait(lambda: browser.canvas() == expected, 'the frame of 400 s')


browser = Browser(2 if CASE == 'lights_dpr2' else 1, fake_clock=not CASE.startswith('ends'))
try:
    {'lights_dpr1': lambda: lights(1), 'lights_dpr2': lambda: lights(2), 'picture': picture,
     'ends_by_key': lambda: ended(True), 'ends_by_click': lambda: ended(False),
     'sleeps': sleeps}[CASE]()
finally:
    browser.chromium.terminate()
    browser.chromium.wait()
