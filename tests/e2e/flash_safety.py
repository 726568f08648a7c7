#!/usr/bin/env python3
"""Flash safety of the real executables on simulated hosts: signals during a
slow flash, SIGKILL of a run, concurrent runs and the host flash lock,
interruption outside the flash, concurrent log writers, full file systems and
the shutdown inhibitor.

    flash_safety.py --build BUILD [CASE...]

Each case builds its own host with sim/sandbox and runs this file inside it
(--inner CASE), which starts the runs, sends the signals and prints what it
saw as one JSON line; the outer part checks that, the log and the fake tools'
records. Exit 0 when every case holds.
"""
import argparse
import collections
import concurrent.futures
import json
import os
import pty
import select
import shutil
import signal
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
SCENARIOS = {
    "qlogic": (os.path.join(ROOT, "sim/scenarios/demo.json"), "fwpack", "zvqlafwupdate"),
    "emulex": (os.path.join(ROOT, "sim/scenarios/demo-emulex.json"), "fwpack-emulex", "elxflash"),
    "brocade": (os.path.join(ROOT, "sim/scenarios/demo-brocade.json"), "fwpack-brocade", "bcu_bootupdate"),
}
RECORDS = "/etc/fwpack-sim/records"
LOG = "/var/qmx/Component.log"
FLASH_MS = 2500

# ---------------------------------------------------------------- inside


def runs_record(tool):
    try:
        with open(os.path.join(RECORDS, tool + "-runs.txt")) as f:
            return [line.split() for line in f if line.strip()]
    except FileNotFoundError:
        return []


def wait_until(predicate, timeout=60.0, what="condition"):
    end = time.monotonic() + timeout
    while time.monotonic() < end:
        if predicate():
            return
        time.sleep(0.02)
    raise TimeoutError("timed out waiting for " + what)


def wait_tool_starts(tool, count):
    wait_until(lambda: sum(1 for r in runs_record(tool) if r[0] == "start") >= count, what=tool + " start")


def log_text():
    try:
        with open(LOG, "rb") as f:
            return f.read().decode("latin-1")
    except FileNotFoundError:
        return ""


class Run:
    """One run of an executable, in a session of its own (it leads its own
    process group, like a terminal's foreground job) or on a pseudo terminal."""

    count = 0

    def __init__(self, program, args=(), terminal=False, env=None):
        self.argv = [program] + list(args)
        self.started = time.monotonic()
        self.output = b""
        self.master = None
        if terminal:
            pid, master = pty.fork()
            if pid == 0:
                try:
                    if env:
                        os.environ.update(env)
                    os.execv(program, self.argv)
                finally:
                    os._exit(127)
            self.pid, self.master = pid, master
            self.proc = None
        else:
            full_env = dict(os.environ)
            if env:
                full_env.update(env)
            # Files, not pipes: an engine that outlives its run keeps them.
            Run.count += 1
            self.out_path, self.err_path = "run%d.out" % Run.count, "run%d.err" % Run.count
            with open(self.out_path, "wb") as out, open(self.err_path, "wb") as err:
                self.proc = subprocess.Popen(self.argv, stdout=out, stderr=err, start_new_session=True,
                                             env=full_env)
            self.pid = self.proc.pid

    def type(self, data):
        os.write(self.master, data)

    def hang_up(self):
        os.close(self.master)
        self.master = None

    def wait(self, timeout=120):
        if self.proc is not None:
            self.status = self.proc.wait(timeout=timeout)
            with open(self.out_path, "rb") as out, open(self.err_path, "rb") as err:
                self.output, self.stderr = out.read(), err.read()
        else:
            end = time.monotonic() + timeout
            while True:
                if self.master is not None:
                    ready, _, _ = select.select([self.master], [], [], 0.05)
                    if ready:
                        try:
                            chunk = os.read(self.master, 4096)
                        except OSError:
                            chunk = b""
                        self.output += chunk
                got, status = os.waitpid(self.pid, os.WNOHANG)
                if got == self.pid:
                    self.status = -os.WTERMSIG(status) if os.WIFSIGNALED(status) else os.WEXITSTATUS(status)
                    break
                if self.master is None:
                    time.sleep(0.05)
                if time.monotonic() > end:
                    raise TimeoutError("run did not end: " + " ".join(self.argv))
            self.stderr = b""
        self.seconds = time.monotonic() - self.started
        return self.status

    def result(self):
        return {"status": self.status, "stdout": self.output.decode("latin-1").replace("\r\n", "\n"),
                "stderr": self.stderr.decode("latin-1"), "seconds": round(self.seconds, 3), "pid": self.pid}


def processes():
    """Live processes of the sandbox's PID namespace other than its init and
    this driver (zombies are dead: the namespace's init does not reap them)."""
    found = []
    for entry in os.listdir("/proc"):
        if not entry.isdigit() or int(entry) in (1, os.getpid()):
            continue
        try:
            with open("/proc/%s/stat" % entry) as f:
                stat = f.read()
            with open("/proc/%s/cmdline" % entry, "rb") as f:
                cmd = f.read().replace(b"\0", b" ").decode("latin-1").strip()
        except OSError:
            continue
        if stat[stat.rindex(")") + 2] != "Z":
            found.append(cmd)
    return found


def left_processes():
    # The last kill is sent as the run ends; give the kernel a moment.
    left = processes()
    end = time.monotonic() + 3
    while left and time.monotonic() < end:
        time.sleep(0.05)
        left = processes()
    return left


def report_after(build, program):
    """A report run once the flashing is over: what the host carries now."""
    r = Run(os.path.join(build, program), ["/d", "after.xml"])
    r.wait()


def inner_signal(build, program, tool, sig, target):
    run = Run(os.path.join(build, program), terminal=(target == "terminal"))
    wait_tool_starts(tool, 1)
    time.sleep(0.3)
    if target == "group":
        os.killpg(run.pid, sig)
    elif target == "alone":
        os.kill(run.pid, sig)
    elif sig == signal.SIGHUP:
        run.hang_up()
    else:
        run.type({signal.SIGINT: b"\x03", signal.SIGQUIT: b"\x1c", signal.SIGTSTP: b"\x1a"}[sig])
    run.wait()
    report_after(build, program)
    return {"run": run.result(), "tool_runs": runs_record(tool)}


def inner_sigkill(build, program, tool):
    first = Run(os.path.join(build, program))
    wait_tool_starts(tool, 1)
    os.kill(first.pid, signal.SIGKILL)
    first.wait()
    second = Run(os.path.join(build, program))
    second.wait()
    # The first engine outlives its run: wait for its end before leaving
    # the namespace, which would end it.
    wait_until(lambda: sum(1 for r in runs_record(tool) if r[0] == "end") >= 2, what="both tool runs")
    return {"first": first.result(), "second": second.result(), "tool_runs": runs_record(tool)}


def inner_concurrent(build, program, tool, count):
    runs = [Run(os.path.join(build, program), ["/f"]) for _ in range(count)]
    wait_tool_starts(tool, 1)
    report = Run(os.path.join(build, program), ["/d", "during.xml"])
    report.wait()
    for r in runs:
        r.wait(timeout=60 + count * FLASH_MS / 1000 * 3)
    return {"runs": [r.result() for r in runs], "report": report.result(), "tool_runs": runs_record(tool)}


def slow_unzip():
    os.makedirs("slowbin", exist_ok=True)
    with open("slowbin/unzip", "w") as f:
        f.write("#!/bin/sh\necho started > slowbin/started\nsleep 30\nexec /usr/bin/unzip \"$@\"\n")
    os.chmod("slowbin/unzip", 0o755)
    return {"PATH": os.path.abspath("slowbin") + ":" + os.environ.get("PATH", "/usr/bin:/bin")}


def inner_interrupt(build, program, tool, sig, where):
    env = slow_unzip() if where == "kit" else None
    before = log_text()
    run = Run(os.path.join(build, program), env=env)
    if where == "kit":
        wait_until(lambda: os.path.exists("slowbin/started"), what="the kit preparation")
    else:
        wait_until(lambda: os.path.exists(os.path.join(RECORDS, tool + ".txt")), what="the query tool")
    time.sleep(0.3)
    during = processes()
    os.kill(run.pid, sig)
    run.wait()
    return {"run": run.result(), "running_before": during, "left": left_processes(),
            "log": log_text()[len(before):]}


def inner_reports(build, program, count):
    one = Run(os.path.join(build, program), ["/d", "one.xml"])
    one.wait()
    single = log_text()
    runs = [Run(os.path.join(build, program), ["/d", "r%d.xml" % i]) for i in range(count)]
    for r in runs:
        r.wait()
    return {"single": single, "all": log_text()[len(single):], "statuses": [r.status for r in runs]}


def fill(directory, size):
    subprocess.run(["mount", "-t", "tmpfs", "-o", "size=%s" % size, "tmpfs", directory], check=True)
    subprocess.run(["dd", "if=/dev/zero", "of=" + os.path.join(directory, "filler"), "bs=1k"],
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def inner_full_log(build, program, tool):
    # The log's file system full to the brim, the log file already there.
    subprocess.run(["umount", "/var/qmx"], check=True)
    fill("/var/qmx", "16k")
    run = Run(os.path.join(build, program))
    run.wait()
    return {"run": run.result(), "tool_runs": runs_record(tool)}


def inner_full_report(build, program):
    os.makedirs("full", exist_ok=True)
    fill("full", "16k")
    run = Run(os.path.join(build, program), ["/d", "full/out.xml"])
    run.wait()
    return {"run": run.result()}


FAKE_INHIBIT = """#!/bin/sh
echo "start $(date +%s%N) $*" >> "$INHIBIT_RECORD"
while [ $# -gt 0 ]; do case "$1" in --*) shift ;; *) break ;; esac; done
"$@"
rc=$?
echo "end $(date +%s%N) $rc" >> "$INHIBIT_RECORD"
exit $rc
"""


def inner_inhibit(build, program, tool, kind):
    env = {"INHIBIT_RECORD": os.path.abspath("inhibit-record.txt")}
    if kind != "none":
        os.makedirs("inhibit-bin", exist_ok=True)
        with open("inhibit-bin/systemd-inhibit", "w") as f:
            f.write(FAKE_INHIBIT if kind == "held" else "#!/bin/sh\necho 'Failed to inhibit: no logind' >&2\nexit 1\n")
        os.chmod("inhibit-bin/systemd-inhibit", 0o755)
        env["PATH"] = os.path.abspath("inhibit-bin") + ":" + os.environ.get("PATH", "/usr/bin:/bin")
    else:
        # Every program of the usual PATH but systemd-inhibit.
        os.makedirs("no-inhibit-bin", exist_ok=True)
        for directory in ("/usr/local/bin", "/usr/bin", "/bin"):
            for name in os.listdir(directory) if os.path.isdir(directory) else []:
                link = os.path.join("no-inhibit-bin", name)
                if name != "systemd-inhibit" and not os.path.lexists(link):
                    os.symlink(os.path.join(directory, name), link)
        env["PATH"] = os.path.abspath("no-inhibit-bin")
        assert subprocess.run(["sh", "-c", "command -v systemd-inhibit"], env=env,
                              stdout=subprocess.DEVNULL).returncode != 0
    run = Run(os.path.join(build, program), env=env)
    run.wait()
    record = []
    if os.path.exists("inhibit-record.txt"):
        with open("inhibit-record.txt") as f:
            record = [line.rstrip("\n") for line in f]
    return {"run": run.result(), "tool_runs": runs_record(tool), "inhibit": record, "log": log_text(),
            "left": left_processes()}


def inner(case, build):
    name, vendor, *rest = case.split(":")
    _, program, tool = SCENARIOS[vendor]
    if name == "signal":
        sig, target = rest
        return inner_signal(build, program, tool, getattr(signal, sig), target)
    if name == "sigkill":
        return inner_sigkill(build, program, tool)
    if name == "concurrent":
        return inner_concurrent(build, program, tool, int(rest[0]))
    if name == "interrupt":
        sig, where = rest
        return inner_interrupt(build, program, tool, getattr(signal, sig), where)
    if name == "reports":
        return inner_reports(build, program, int(rest[0]))
    if name == "fulllog":
        return inner_full_log(build, program, tool)
    if name == "fullreport":
        return inner_full_report(build, program)
    if name == "inhibit":
        return inner_inhibit(build, program, tool, rest[0])
    raise ValueError("unknown case " + case)

# ---------------------------------------------------------------- outside


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


def sandbox(build, case, patch):
    vendor = case.split(":")[1]
    scenario = SCENARIOS[vendor][0]
    out = tempfile.mkdtemp(prefix="fwsafety.")
    with tempfile.NamedTemporaryFile("w", suffix=".json", delete=False) as f:
        json.dump(patch, f)
        patch_file = f.name
    try:
        proc = subprocess.run([os.path.join(ROOT, "sim/sandbox"), scenario, "--build", build, "--out", out,
                               "--patch", patch_file, "--", sys.executable, os.path.abspath(__file__),
                               "--inner", case, "--build", build],
                              stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=240)
        lines = proc.stdout.decode("latin-1").strip().splitlines()
        if proc.returncode != 0 or not lines:
            raise Failure("inner run failed (%d): %s %s" % (proc.returncode, proc.stdout[-2000:],
                                                             proc.stderr[-2000:]))
        result = json.loads(lines[-1])
        log = os.path.join(out, "Component.log")
        result["final_log"] = open(log, "rb").read().decode("latin-1") if os.path.exists(log) else ""
        after = os.path.join(out, "package", "after.xml")
        result["after"] = open(after).read() if os.path.exists(after) else None
        return result
    finally:
        os.unlink(patch_file)
        shutil.rmtree(out, ignore_errors=True)


def slow(vendor, extra=None):
    tool = SCENARIOS[vendor][2]
    settings = {"update_sleep_ms": FLASH_MS}
    settings.update(extra or {})
    return {"tools": {tool: settings}}


def lines_of(text):
    return text.split("\n")


def index_of(lines, text, start=0):
    for i in range(start, len(lines)):
        if lines[i] == text:
            return i
    return -1


def in_order(text, expected):
    lines = lines_of(text)
    at = 0
    for line in expected:
        found = index_of(lines, line, at)
        if found < 0:
            return False
        at = found + 1
    return True


def finished_runs(tool_runs):
    starts = {r[3]: int(r[1]) for r in tool_runs if r[0] == "start"}
    ends = {r[3]: (int(r[1]), int(r[5])) for r in tool_runs if r[0] == "end"}
    return [(starts[p], ends[p][0], ends[p][1], p) for p in starts if p in ends]


def check_flashed(result):
    runs = finished_runs(result["tool_runs"])
    check(len(runs) == 1 and runs[0][2] == 0, "the tool did not finish its update: %s" % result["tool_runs"])
    check(result["after"] is not None and 'value="upgrade"' not in result["after"],
          "the host does not carry the new versions:\n%s" % result["after"])


def case_signal(build, vendor, sig, target):
    r = sandbox(build, "signal:%s:%s:%s" % (vendor, sig, target), slow(vendor))
    run = r["run"]
    check(run["status"] == 1, "exit %s, expected 1\n%s" % (run["status"], run["stdout"]))
    check_flashed(r)
    notice = "NOTICE : Signal %s received during the flash; waiting for the flash engine to finish." % sig
    log = r["final_log"]
    check(log.count(notice) == 1, "the notice is not in the log exactly once:\n" + log)
    check(in_order(log, ["Performing flash -- DO NOT INTERRUPT!", notice, "Flash Engine exit code: 0",
                         "Flash complete [1]"]), "log lines out of order:\n" + log)
    # A hung-up terminal shows nothing more.
    if not (target == "terminal" and sig == "SIGHUP"):
        check(notice in run["stdout"], "the notice is not on the console:\n" + run["stdout"])


def case_sigkill(build, vendor):
    r = sandbox(build, "sigkill:" + vendor, slow(vendor))
    check(r["first"]["status"] == -signal.SIGKILL, "first run: %s" % r["first"]["status"])
    second = r["second"]
    check(second["status"] == 1, "second run exit %s\n%s" % (second["status"], second["stdout"]))
    check("Waiting for another flash on this host to finish...done.\n" in second["stdout"],
          "the second run did not wait:\n" + second["stdout"])
    runs = sorted(finished_runs(r["tool_runs"]))
    check(len(runs) == 2 and all(x[2] == 0 for x in runs), "both tool runs must finish: %s" % r["tool_runs"])
    check(runs[1][0] >= runs[0][1], "the second tool started before the first ended: %s" % runs)
    tool = SCENARIOS[vendor][2]
    check(r["final_log"].count("%s: updating" % tool) == 2,
          "the killed run's engine output is missing from the log:\n" + r["final_log"])


def case_concurrent(build, vendor, count):
    r = sandbox(build, "concurrent:%s:%d" % (vendor, count), slow(vendor))
    for i, run in enumerate(r["runs"]):
        check(run["status"] == 1 and run["stdout"].endswith("Flash complete [1]\n"),
              "run %d: exit %s\n%s" % (i, run["status"], run["stdout"]))
    runs = sorted(finished_runs(r["tool_runs"]))
    check(len(runs) == count, "expected %d finished tool runs: %s" % (count, r["tool_runs"]))
    for a, b in zip(runs, runs[1:]):
        check(b[0] >= a[1], "tool runs overlap: %s and %s" % (a, b))
    waited = sum("Waiting for another flash on this host to finish...done.\n" in x["stdout"] for x in r["runs"])
    check(waited >= 1, "no run waited for the lock")
    report = r["report"]
    check(report["status"] == 3 and "Waiting" not in report["stdout"],
          "the report run: %s\n%s" % (report["status"], report["stdout"]))
    check(report["seconds"] < FLASH_MS / 1000.0, "the report run waited %.2f s" % report["seconds"])


def case_interrupt(build, vendor, sig, where):
    extra = {"query_sleep_ms": 30000} if where == "query" else {}
    r = sandbox(build, "interrupt:%s:%s:%s" % (vendor, sig, where), slow(vendor, extra))
    run = r["run"]
    signum = getattr(signal, sig)
    check(run["status"] == -signum, "the parent did not see death by %s: %s" % (sig, run["status"]))
    line = "ERROR! : Interrupted by %s." % sig
    check(line + "\n" in r["log"], "no interruption line in the log:\n" + r["log"])
    check(line in run["stdout"], "no interruption line on the console:\n" + run["stdout"])
    check(len(r["running_before"]) >= 2, "nothing was running when the signal came: %s" % r["running_before"])
    check(r["left"] == [], "processes left behind: %s" % r["left"])


def case_reports(build, vendor, count):
    r = sandbox(build, "reports:%s:%d" % (vendor, count), {})
    check(all(s == 3 for s in r["statuses"]), "report exits: %s" % r["statuses"])
    single = collections.Counter(lines_of(r["single"].rstrip("\n")))
    together = collections.Counter(lines_of(r["all"].rstrip("\n")))
    expected = collections.Counter({line: n * count for line, n in single.items()})
    check(together == expected, "the log of %d runs is not %d copies of one run's lines:\n%s" %
          (count, count, r["all"]))


def case_full_log(build, vendor):
    r = sandbox(build, "fulllog:" + vendor, {})
    run = r["run"]
    check(run["status"] == 1, "exit %s\n%s" % (run["status"], run["stdout"]))
    runs = finished_runs(r["tool_runs"])
    check(len(runs) == 1 and runs[0][2] == 0, "the tool did not flash: %s" % r["tool_runs"])
    err = "ERROR : Unable to write to log file"
    out = run["stdout"].replace(err + "\n", "").replace(err, "")
    check(in_order(out, ["Loading references...done.", "Performing discovery...",
                         "Performing flash -- DO NOT INTERRUPT!", "Flash Engine exit code: 0",
                         "Flash complete [1]"]), "console lines missing:\n" + run["stdout"])
    check(run["stdout"].count(err) >= 5, "the failing log writes are not told:\n" + run["stdout"])


def case_full_report(build, vendor):
    r = sandbox(build, "fullreport:" + vendor, {})
    run = r["run"]
    check(run["status"] == 3, "exit %s" % run["status"])
    check("Generating self-discovery XML...FAILED!\ndone.\n" in run["stdout"], "no FAILED!:\n" + run["stdout"])


def case_inhibit(build, vendor):
    results = {kind: sandbox(build, "inhibit:%s:%s" % (vendor, kind), slow(vendor))
               for kind in ("held", "fails", "none")}
    held = results["held"]
    record = held["inhibit"]
    check(len(record) == 2 and record[0].startswith("start ") and record[1].startswith("end "),
          "inhibitor record: %s" % record)
    words = record[0].split(" ", 2)[2]
    check(words == "--what=shutdown:sleep --who=fwpack --why=Firmware flash in progress --mode=block "
                   "/bin/sh -c echo held; exec cat >/dev/null", "inhibitor arguments: " + words)
    taken, released = int(record[0].split()[1]), int(record[1].split()[1])
    runs = finished_runs(held["tool_runs"])
    check(len(runs) == 1, "tool runs: %s" % held["tool_runs"])
    check(taken <= runs[0][0] and released >= runs[0][1],
          "the inhibitor did not cover the engine: inhibitor %d-%d, engine %d-%d" %
          (taken, released, runs[0][0], runs[0][1]))
    for kind, r in results.items():
        check(r["run"]["status"] == 1, "%s: exit %s" % (kind, r["run"]["status"]))
        check(len(finished_runs(r["tool_runs"])) == 1, "%s: the engine did not run once" % kind)
        check(r["left"] == [], "%s: processes left: %s" % (kind, r["left"]))
    check(results["fails"]["inhibit"] == [], "the failing inhibitor recorded something")
    check(held["log"] == results["fails"]["log"] == results["none"]["log"],
          "the log differs with the inhibitor held, failing or missing")
    check(held["run"]["stdout"] == results["fails"]["run"]["stdout"] == results["none"]["run"]["stdout"],
          "the console differs with the inhibitor held, failing or missing")


def cases():
    table = []
    for sig in ("SIGINT", "SIGQUIT", "SIGTSTP", "SIGHUP", "SIGTERM"):
        for target in ("group", "alone"):
            table.append(("qlogic %s %s" % (sig, "to the group" if target == "group" else "to the run alone"), case_signal, ("qlogic", sig, target)))
    for sig in ("SIGINT", "SIGTSTP", "SIGHUP"):
        table.append(("qlogic %s by the terminal" % sig, case_signal, ("qlogic", sig, "terminal")))
    table += [
        ("emulex SIGINT to the group", case_signal, ("emulex", "SIGINT", "group")),
        ("emulex SIGHUP by the terminal", case_signal, ("emulex", "SIGHUP", "terminal")),
        ("brocade SIGTERM alone", case_signal, ("brocade", "SIGTERM", "alone")),
        ("brocade SIGQUIT to the group", case_signal, ("brocade", "SIGQUIT", "group")),
        ("qlogic SIGKILL of a flashing run", case_sigkill, ("qlogic",)),
        ("qlogic two runs together", case_concurrent, ("qlogic", 2)),
        ("qlogic eight runs together", case_concurrent, ("qlogic", 8)),
        ("sixteen report runs", case_reports, ("qlogic", 16)),
        ("full log file system", case_full_log, ("qlogic",)),
        ("full report file system", case_full_report, ("qlogic",)),
        ("shutdown inhibitor", case_inhibit, ("qlogic",)),
    ]
    for sig in ("SIGTERM", "SIGINT", "SIGHUP"):
        table.append(("qlogic %s during the query tool" % sig, case_interrupt, ("qlogic", sig, "query")))
        table.append(("emulex %s during the kit preparation" % sig, case_interrupt, ("emulex", sig, "kit")))
    return table


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", required=True)
    parser.add_argument("--inner")
    parser.add_argument("--jobs", type=int, default=3)
    parser.add_argument("only", nargs="*", help="run the cases whose name holds one of these words")
    args = parser.parse_args()
    build = os.path.abspath(args.build)
    if args.inner:
        print(json.dumps(inner(args.inner, build)))
        return 0
    table = [c for c in cases() if not args.only or any(w in c[0] for w in args.only)]

    def attempt(entry):
        name, function, params = entry
        try:
            function(build, *params)
            return name, None
        except (Failure, TimeoutError, subprocess.TimeoutExpired) as e:
            return name, str(e)

    failed = 0
    with concurrent.futures.ThreadPoolExecutor(max_workers=args.jobs) as pool:
        for name, error in pool.map(attempt, table):
            if error is None:
                print("ok   " + name)
            else:
                failed += 1
                print("FAIL " + name + ": " + error)
    print("%d of %d cases passed" % (len(table) - failed, len(table)))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
