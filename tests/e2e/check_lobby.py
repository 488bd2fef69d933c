#!/usr/bin/env python3
"""KbZn beside the stand-in lobby and the scripted game server of the demo
(tools/scripted/demo/server.script), under a virtual X server, with a local web
server holding the room's advert page and notice file:

- once seated (request 200110 at the server), the client opens the advert
  page and fetches the room's notice file, each once (the web server's log);
- a click on the advert tab and then on the page's "qheapp://changeclothing/"
  link posts WM_HALL_CHANGECLOTHING with the own user id to the lobby;
- the complaint button hands the complaint page's address to the lobby as a
  text record with the value 1;
- a click on the other player's row of the user list posts
  WM_HALL_SHOWPLAYER with that player's id to the lobby;
- no sanitizer report.

    check_lobby.py --build-dir DIR --out DIR [--timeout S]

The logs of the lobby, the servers and the client land in the output
directory.
"""

import os
import re
import shutil
import socket
import subprocess
import sys
import tempfile
import time

from e2e_support import SOURCE, CheckRun, Display, check_args, read

# Where the client's parts stand in its window on this check's 1024x768
# screen (the window covers it): the advert tab and the page's first link
# band under it, the complaint button of the input bar, and the row of the
# other player in the user list.
ADVERT_TAB = (807, 41)
FIRST_LINK = (791, 68)
COMPLAINT = (897, 721)
OTHER_ROW = (791, 264)
USER, OTHER, GAME = 10001, 10002, 7


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


class Check(CheckRun):
    def wait_for(self, what, done, limit=30):
        end = time.monotonic() + limit
        while time.monotonic() < end:
            if done():
                return True
            time.sleep(0.2)
        self.fail(what)
        return False

    def run(self):
        os.makedirs(self.out, exist_ok=True)
        tmp = tempfile.mkdtemp(prefix="kbzn-lobby-check-")
        processes = []
        display = None
        try:
            web = os.path.join(tmp, "web")
            os.makedirs(os.path.join(web, "advert", "window", str(GAME)))
            os.makedirs(os.path.join(web, "notify", "game"))
            with open(os.path.join(web, "advert", "window", str(GAME), "vk.htm"), "w") as f:
                f.write('<body style="margin:0"><a href="qheapp://changeclothing/" '
                        'style="display:block;height:30px">clothes</a></body>')
            with open(os.path.join(web, "notify", "game", "%d.txt" % GAME), "w") as f:
                f.write("<notify>notice</notify>")
            web_port = free_port()
            web_log = os.path.join(self.out, "web.log")
            processes.append(subprocess.Popen(
                [sys.executable, "-u", "-m", "http.server", str(web_port), "--bind", "127.0.0.1", "--directory", web],
                stdout=open(web_log, "w"), stderr=subprocess.STDOUT))

            script = os.path.join(tmp, "server.script")
            with open(os.path.join(SOURCE, "tools", "scripted", "demo", "server.script")) as f:
                text = re.sub(r"(?m)^listen .*$", "listen 127.0.0.1 0", f.read())
            with open(script, "w") as f:
                f.write(text)
            server_log = os.path.join(self.out, "server.log")
            processes.append(subprocess.Popen([os.path.join(self.build, "tools", "scripted", "scripted-server"), script],
                                              stdout=open(server_log, "w"), stderr=subprocess.STDOUT))
            listening = re.compile(r"listening on [0-9.]+:(\d+)")
            if not self.wait_for("the scripted server did not listen", lambda: listening.search(read(server_log))):
                return
            server_port = listening.search(read(server_log)).group(1)

            display = Display(tmp, "1024x768x24")
            env = dict(os.environ, DISPLAY=display.name, XDG_RUNTIME_DIR=os.path.join(tmp, "runtime"),
                       SDL_AUDIODRIVER="dummy", ASAN_OPTIONS="detect_leaks=0:abort_on_error=1")
            env.pop("SDL_VIDEODRIVER", None)
            os.makedirs(env["XDG_RUNTIME_DIR"], mode=0o700)
            lobby_log = os.path.join(self.out, "lobby.log")
            host = "127.0.0.1:%d" % web_port
            lobby = subprocess.Popen(
                [os.path.join(self.build, "tools", "lobby", "stand-in-lobby"), "--client", self.client, "--server",
                 "127.0.0.1:" + server_port, "--advert-host", host, "--notify-host", host,
                 "--root", os.path.join(tmp, "tree"), "--timeout", str(self.timeout)],
                env=env, stdout=open(lobby_log, "w"), stderr=subprocess.STDOUT)
            processes.append(lobby)

            if not self.wait_for("the client never entered its table (no 200110 at the server)",
                                 lambda: "request 200110" in read(server_log)):
                return
            self.wait_for("the advert page was not fetched",
                          lambda: "advert/window/%d/vk.htm HTTP" % GAME in read(web_log))
            self.wait_for("the notice file was not fetched", lambda: "notify/game/%d.txt HTTP" % GAME in read(web_log))
            time.sleep(2)

            def click(point):
                subprocess.run(["xdotool", "mousemove", str(point[0]), str(point[1])], env=env, check=False)
                time.sleep(0.3)
                subprocess.run(["xdotool", "click", "1"], env=env, check=False)
                time.sleep(1)

            click(ADVERT_TAB)
            click(FIRST_LINK)
            self.wait_for("no WM_HALL_CHANGECLOTHING from the advert page's link",
                          lambda: "posted 0x86EF (change clothing) wParam=%d lParam=0" % USER in read(lobby_log))
            click(COMPLAINT)
            self.wait_for("no complaint page at the lobby", lambda: 'value=1 text="http://service.kbzn.example/'
                          'advice.aspx?gameid=%d"' % GAME in read(lobby_log))
            click(OTHER_ROW)
            self.wait_for("no WM_HALL_SHOWPLAYER for the other player's row",
                          lambda: re.search(r"posted 0x9108 \(show player\) wParam=\d+ lParam=%d" % OTHER,
                                            read(lobby_log)))
            web_text = read(web_log)
            for path in ("advert/window/%d/vk.htm" % GAME, "notify/game/%d.txt" % GAME):
                count = web_text.count(path + " HTTP")
                if count != 1:
                    self.fail("%s was fetched %d times, not once" % (path, count))
        finally:
            for process in reversed(processes):
                process.terminate()
                try:
                    process.wait(timeout=20)
                except subprocess.TimeoutExpired:
                    process.kill()
            if display:
                display.close()
            shutil.rmtree(tmp, ignore_errors=True)
        if "Sanitizer" in read(os.path.join(self.out, "lobby.log")):
            self.fail("a sanitizer report (lobby.log)")


def main():
    args = check_args(120)
    check = Check(args.build_dir, args.out, args.timeout)
    check.run()
    if check.problems:
        print("%d problem(s); logs in %s" % (len(check.problems), check.out))
        return 1
    print("the client reached the lobby, the server and the web server; logs in " + check.out)
    return 0


if __name__ == "__main__":
    sys.exit(main())
