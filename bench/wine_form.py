"""The trim form's row of bench/run: the sheet pass under Wine through the
COM server (Ostrel.dll of the Windows build), with and without its window.

Three conversions of the same survey, each timed inside the client around
SaveAsDWG (tests/com_window_test.exe --convert: wall seconds and the calling
thread's CPU seconds), the fastest of `repeat` kept:

  Wine plain       the export without a title block: no sheet pass
  Wine sheet       the export with a title block, OSTREL_NO_WINDOWS=1
  Wine sheet+form  the same with the form's window on a virtual display

so the pass's own time is sheet - plain and the form's cost sheet+form -
sheet. Wine runs in its own prefix under the benchmark's build folder, on
an Xvfb display started here.
"""
import os
import shutil
import subprocess


def _winpath(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


class WineForm:
    def __init__(self, win_build, bench_build):
        self.client = os.path.join(win_build, "tests", "com_window_test.exe")
        self.dll = os.path.join(win_build, "Ostrel.dll")
        self.env = dict(os.environ, WINEPREFIX=os.path.join(bench_build, "wine-prefix"), WINEDEBUG="-all",
                        WINEDLLOVERRIDES="mscoree,mshtml=", OSTREL_NO_MESSAGEBOX="1")
        self.xvfb = None

    def missing(self):
        """Why the row cannot run, or None."""
        for path in (self.client, self.dll):
            if not os.path.exists(path):
                return "%s is not built (scripts/test-windows builds it)" % path
        for tool in ("wine", "wineserver", "Xvfb"):
            if not shutil.which(tool):
                return "%s is not installed (scripts/install-windows-deps)" % tool
        return None

    def _wine(self, *args, env=None):
        return subprocess.run(["wine"] + list(args), env=env or self.env, stdin=subprocess.DEVNULL,
                              stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)

    def start(self, user_ini):
        """A display, a prefix with the server registered and userini set."""
        read, write = os.pipe()
        self.xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write), "-screen", "0", "1024x768x24", "-nolisten",
                                      "tcp"], pass_fds=(write,), stdin=subprocess.DEVNULL,
                                     stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write)
        with os.fdopen(read) as number:
            shown = number.readline().strip()   # Xvfb writes its display number once it is ready
        if not shown:
            return "Xvfb did not start"
        self.env["DISPLAY"] = ":" + shown
        subprocess.run(["wineserver", "-k"], env=self.env, stderr=subprocess.DEVNULL)
        subprocess.run(["wineserver", "-w"], env=self.env)
        # Windows on a Wine desktop of their own: on a bare X display (no
        # window manager) Wine waits 2 s for every top-level window it unmaps.
        self._wine("reg", "add", "HKCU\\Software\\Wine\\Explorer", "/v", "Desktop", "/t", "REG_SZ", "/d", "Default", "/f")
        self._wine("reg", "add", "HKCU\\Software\\Wine\\Explorer\\Desktops", "/v", "Default", "/t", "REG_SZ",
                   "/d", "1024x768", "/f")
        subprocess.run(["wineserver", "-k"], env=self.env, stderr=subprocess.DEVNULL)
        subprocess.run(["wineserver", "-w"], env=self.env)
        if self._wine("regsvr32", "/s", _winpath(self.dll)).returncode != 0:
            return "regsvr32 Ostrel.dll failed"
        # The generated user settings name their main settings file by a Unix path.
        folder = os.path.dirname(user_ini)
        wine_ini = os.path.join(folder, "user-wine.ini")
        with open(wine_ini, "w", newline="\r\n") as f:
            f.write("[OPTION]\ntxtDWGoverride=%s\n" % _winpath(os.path.join(folder, "settings.ini")))
        self._wine("reg", "add", "HKCU\\Software\\kestrelworks\\talvero", "/v", "userini", "/t", "REG_SZ",
                   "/d", _winpath(wine_ini), "/f")
        return None

    def convert(self, export, output, form, repeat, measure):
        """The fastest of `repeat` conversions as measure(ok, wall, cpu, peak, bytes, detail)."""
        env = dict(self.env)
        if not form:
            env["OSTREL_NO_WINDOWS"] = "1"
        best = None
        for _ in range(repeat):
            r = self._wine(self.client, "--convert", _winpath(export), _winpath(output), env=env)
            fields = (r.stdout or "").split()
            if r.returncode != 0 or len(fields) < 2 or not os.path.exists(output):
                return measure(False, 0, 0, 0, 0, "exit %d: %s" % (r.returncode, r.stdout.strip()[-200:]))
            m = measure(True, float(fields[0]), float(fields[1]), 0, os.path.getsize(output))
            if best is None or m.wall < best.wall:
                best = m
        return best

    def stop(self):
        subprocess.run(["wineserver", "-k"], env=self.env, stderr=subprocess.DEVNULL)
        if self.xvfb:
            self.xvfb.terminate()
            self.xvfb.wait()
