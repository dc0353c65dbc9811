#!/usr/bin/env python3
"""celdara-monitor as a user runs it: records checked with Python's own JSON and CSV readers,
exit codes, and its records compared with what the simulated modem on a pty says it sent.

Usage: monitor_cli_test.py MONITOR SIMULATOR
"""
import csv
import io
import json
import os
import re
import subprocess
import sys
import tempfile
import unittest

MONITOR, SIMULATOR = sys.argv[1], sys.argv[2]
TIMEOUT = 120


def run(*args, **kwargs):
    return subprocess.run([MONITOR, *args], capture_output=True, text=True, timeout=TIMEOUT,
                          **kwargs)


# The columns of earlier versions, which stored files and scripts read by position.
GSM_COLUMNS = ["time", "port", "manufacturer", "model", "operator_name", "operator_code",
               "registration", "registration_state", "activity", "activity_state",
               "signal_percent", "signal_rssi", "bit_errors"] + [
    f"{cell}_{value}" for cell in ["serving"] + [f"neighbour{i}" for i in range(1, 7)]
    for value in ("channel", "band", "rxlev", "dbm", "c1", "mcc", "mnc")]
MEASURES = ("_rssi", "_rscp", "_ecio", "_rsrp", "_rsrq", "_sinr")


def check_radio_csv(test, values):
    """Radio measurements have one decimal and a point; missing values are empty."""
    for name, value in values.items():
        if value and name.startswith(("radio_", "nr_leg_")) and name.endswith(MEASURES):
            test.assertRegex(value, r"^-?\d+\.\d$", name)


def check_radio_members(test, record):
    cells = [record["radio_serving_cell"], record["nr_leg"], *record["radio_neighbour_cells"]]
    for cell in (c for c in cells if c is not None):
        for key, value in cell.items():
            test.assertTrue(key == "tech" or value is None or isinstance(value, (int, float)))


class Records(unittest.TestCase):
    def test_json_lines_parse_and_carry_the_simulated_modem(self):
        result = run("--format", "jsonl", "--count", "20", "virtual-modem")
        self.assertEqual(result.returncode, 0, result.stderr)
        lines = result.stdout.splitlines()
        self.assertEqual(len(lines), 20)
        for line in lines:
            record = json.loads(line)  # raises on anything that is not JSON
            self.assertEqual(record["port"], "virtual-modem")
            self.assertEqual(record["manufacturer"], "Celdara")
            self.assertEqual(record["model"], "Virtual GSM modem")
            self.assertRegex(record["time"], r"^\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}[+-]\d\d:\d\d$")
            self.assertIn(record["operator_code"], {"23001", "23002", "23003", "26201", None})
            if record["signal_rssi"] is not None:
                self.assertTrue(0 <= record["signal_rssi"] <= 31)
                self.assertEqual(record["signal_percent"], record["signal_rssi"] * 100 // 32)
            self.assertIsInstance(record["neighbour_cells"], list)
            check_radio_members(self, record)

    def test_csv_has_a_header_and_rows_that_read_back_whole(self):
        result = run("--format", "csv", "--count", "20", "virtual-modem")
        self.assertEqual(result.returncode, 0, result.stderr)
        rows = list(csv.reader(io.StringIO(result.stdout)))
        self.assertEqual(len(rows), 21)
        header = rows[0]
        self.assertEqual(header[:len(GSM_COLUMNS)], GSM_COLUMNS)
        self.assertIn("radio_rsrp", header)
        for row in rows[1:]:
            self.assertEqual(len(row), len(header))
            values = dict(zip(header, row))
            self.assertEqual(values["port"], "virtual-modem")
            check_radio_csv(self, values)
            for name, value in values.items():
                if value and (name.endswith(("_channel", "_dbm", "_mcc", "_mnc", "_c1", "_rxlev"))
                              or name in ("signal_rssi", "signal_percent", "bit_errors")):
                    int(value)  # numbers are numbers, missing values are empty

    def test_output_file_gets_one_header_across_runs(self):
        with tempfile.TemporaryDirectory() as folder:
            path = os.path.join(folder, "log.csv")
            for _ in range(2):
                result = run("--format", "csv", "--count", "2", "--output", path, "virtual-modem")
                self.assertEqual(result.returncode, 0, result.stderr)
                self.assertEqual(result.stdout, "")
            with open(path, newline="") as f:
                rows = list(csv.reader(f))
            self.assertEqual(len(rows), 5)
            self.assertEqual(sum(1 for r in rows if r[0] == "time"), 1)

    def test_text_lines_are_one_per_cycle(self):
        result = run("--count", "3", "virtual-modem")
        self.assertEqual(result.returncode, 0, result.stderr)
        lines = result.stdout.splitlines()
        self.assertEqual(len(lines), 3)
        for line in lines:
            self.assertIn("virtual-modem", line)
            self.assertRegex(line, r"signal +(\d+|\?)%")


class ExitCodes(unittest.TestCase):
    def test_a_missing_port_exits_1_with_the_reason(self):
        result = run("/dev/nonexistent")
        self.assertEqual(result.returncode, 1)
        self.assertIn("/dev/nonexistent", result.stderr)
        self.assertRegex(result.stderr.lower(), "not there|no such")
        self.assertEqual(result.stdout, "")

    def test_bad_options_exit_2_with_the_usage(self):
        for args in (["--format", "xml", "virtual-modem"], ["--count", "none", "x"], [],
                     ["--bogus", "x"]):
            result = run(*args)
            self.assertEqual(result.returncode, 2, args)
            self.assertIn("Usage: celdara-monitor", result.stderr)

    def test_help_version_and_the_port_list(self):
        self.assertIn("--format", run("--help").stdout)
        self.assertRegex(run("--version").stdout, r"^celdara-monitor \d+\.\d+")
        ports = run("--list-ports")
        self.assertEqual(ports.returncode, 0)
        self.assertIn("virtual-modem", ports.stdout)

    def test_sigterm_ends_the_run_with_0(self):
        monitor = subprocess.Popen([MONITOR, "--format", "jsonl", "virtual-modem"],
                                   stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
        first = monitor.stdout.readline()  # a record: the port is open and polled
        json.loads(first)
        monitor.terminate()
        out, err = monitor.communicate(timeout=TIMEOUT)
        self.assertEqual(monitor.returncode, 0, err)


class AgainstTheLteSimulator(unittest.TestCase):
    def test_records_carry_the_lte_radio(self):
        port = "virtual-lte-modem"
        if port not in run("--list-ports").stdout.split():
            self.skipTest(f"no built-in {port}")
        result = run("--format", "jsonl", "--count", "10", port)
        self.assertEqual(result.returncode, 0, result.stderr)
        records = [json.loads(line) for line in result.stdout.splitlines()]
        told = [r for r in records if r["access_tech"] in ("LTE", "5G NSA", "5G SA")]
        self.assertTrue(told, "no record tells an LTE or NR access technology")
        for record in records:
            check_radio_members(self, record)
        rsrps = [r["radio_serving_cell"]["rsrp"] for r in told if r["radio_serving_cell"]]
        self.assertTrue(all(v is None or -160 <= v <= -30 for v in rsrps), rsrps)
        rows = list(csv.reader(io.StringIO(run("--format", "csv", "--count", "5", port).stdout)))
        self.assertEqual(rows[0][:len(GSM_COLUMNS)], GSM_COLUMNS)
        for row in rows[1:]:
            self.assertEqual(len(row), len(rows[0]))
            check_radio_csv(self, dict(zip(rows[0], row)))
        self.assertRegex(run("--count", "5", port).stdout, r"(LTE|5G NSA|5G SA) .*RSRP -?\d+\.\d")


class AgainstThePtySimulator(unittest.TestCase):
    def test_records_are_what_the_simulated_modem_sent(self):
        sim = subprocess.Popen([SIMULATOR, "--trace", "--seed", "7", "--latency", "5"],
                               stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
        try:
            pty = sim.stdout.readline().strip()
            self.assertTrue(pty.startswith("/"), pty)
            result = run("--format", "jsonl", "--count", "10", pty)
            self.assertEqual(result.returncode, 0, result.stderr)
        finally:
            sim.terminate()
            _, trace = sim.communicate(timeout=TIMEOUT)
        # What the modem sent, one poll reply after another: its +CSQ numbers and the
        # numeric operator code of the same reply.
        replies = []
        for line in trace.splitlines():
            if not line.startswith("< "):
                continue
            csq = re.search(r"\+CSQ: (\d+),(\d+)", line)
            if csq:
                # 99 is "not known": the record leaves such a value out.
                rssi, ber = (int(v) for v in csq.groups())
                replies.append({"rssi": None if rssi == 99 else rssi,
                                "ber": None if ber == 99 else ber, "code": None})
            code = re.search(r'\+COPS: \d,2,"(\d+)"', line)
            if code and replies:
                replies[-1]["code"] = code.group(1)
        records = [json.loads(line) for line in result.stdout.splitlines()]
        self.assertEqual(len(records), 10)
        # Every record is one of the replies, in the order they were sent.
        position = 0
        for record in records:
            self.assertEqual(record["port"], pty)
            sent = {"rssi": record["signal_rssi"], "ber": record["bit_errors"],
                    "code": record["operator_code"]}
            while position < len(replies) and replies[position] != sent:
                position += 1
            self.assertLess(position, len(replies), f"{sent} was never sent after the last match")
            position += 1


def carriers_sent(trace):
    """The carriers of each +QCAINFO reply the simulated modem sent, in order, as (role, tech,
    band, channel, pci). The layouts of the RG50xQ&RM5xxQ Series AT Commands Manual, "AT+QCAINFO
    Query Carrier Aggregation Parameters", that EN-DC uses:
      LTE PCC:  "PCC",<freq>,<bandwidth>,<band>,<pcell_state>,<PCID>,<RSRP>,<RSRQ>,<RSSI>,<RSSNR>
      LTE SCC:  "SCC",<freq>,<bandwidth>,<band>,<scell_state>,<PCID>,<RSRP>,...
      EN-DC NR: "SCC",<freq>,<NR_DL_bandwidth>,<band>,<PCID>[,<RSRP>,<RSRQ>,<SNR>]
    with <band> as "LTE BAND 3" or "NR5G BAND 78"."""
    replies = []
    for line in trace.splitlines():
        if not line.startswith("< ") or "+QCAINFO:" not in line:
            continue
        carriers = []
        for text in re.findall(r"\+QCAINFO: ([^\\]*)", line):
            f = next(csv.reader([text]))
            tech, band = re.fullmatch(r"(LTE|NR5G) BAND (\d+)", f[3]).groups()
            lte = tech == "LTE"
            carriers.append((f[0], "LTE" if lte else "5G NSA", int(band), int(f[1]),
                             int(f[5] if lte else f[4])))
        replies.append(carriers)
    return replies


def poll_quectel_en_dc(model, count):
    """celdara-monitor's JSON records of a simulated Quectel module in EN-DC, and what the
    module sent."""
    sim = subprocess.Popen([SIMULATOR, "--dialect", "quectel", "--model", model,
                            "--timetable", "nsa:600", "--trace", "--seed", "7", "--latency", "5"],
                           stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
    try:
        pty = sim.stdout.readline().strip()
        result = run("--format", "jsonl", "--count", str(count), pty)
    finally:
        sim.terminate()
        _, trace = sim.communicate(timeout=TIMEOUT)
    return pty, result, trace


class AgainstTheQuectelSimulator(unittest.TestCase):
    def test_records_list_the_carriers_of_en_dc(self):
        # The RM500Q gives EN-DC's NR carrier in the short form, the RM520N in the long one.
        for model in ("RM500Q-GL", "RM520N-GL"):
            with self.subTest(model=model):
                pty, result, trace = poll_quectel_en_dc(model, 6)
                self.assertTrue(pty.startswith("/"), pty)
                self.assertEqual(result.returncode, 0, result.stderr)
                self.check_carriers(json_records(result.stdout, 6), carriers_sent(trace))

    def check_carriers(self, records, replies):
        told = [r for r in records if len(r["carriers"]) > 1]
        self.assertTrue(told, "no record lists the carriers")
        # Every record with carriers is one of the replies, in the order they were sent.
        position = 0
        for record in told:
            self.assertEqual(record["access_tech"], "5G NSA")
            carriers = [(c["role"], c["tech"], c["band"], c["channel"], c["pci"])
                        for c in record["carriers"]]
            self.assertEqual([c[:3] for c in carriers],
                             [("PCC", "LTE", 3), ("SCC", "LTE", 7), ("SCC", "5G NSA", 78)])
            while position < len(replies) and replies[position] != carriers:
                position += 1
            self.assertLess(position, len(replies), f"{carriers} was never sent")
            bandwidths = [c["bandwidth_mhz"] for c in record["carriers"]]
            self.assertTrue(all(isinstance(mhz, float) and mhz > 0 for mhz in bandwidths))
            self.assertEqual(record["aggregated_bandwidth_mhz"], sum(bandwidths))


# 27.007 7.3 <stat> and <AcT> as celdara-monitor --scan words them.
SCAN_STATES = {"0": "unknown", "1": "available", "2": "current", "3": "forbidden"}
SCAN_TECHS = {"0": "GSM", "2": "UMTS", "7": "LTE", "9": "NB-IoT", "11": "5G SA", "13": "5G NSA"}


def networks_sent(trace):
    """The networks of the +COPS=? reply the simulated modem sent, as 27.007 7.3 lays it out:
    +COPS: (<stat>,"<long>","<short>","<numeric>"[,<AcT>]),...,,(<modes>),(<formats>)"""
    for line in trace.splitlines():
        if line.startswith("< ") and "+COPS: (" in line:
            entries = re.findall(r'\((\d),"([^"]*)","([^"]*)","(\d+)"(?:,(\d+))?\)', line)
            return [(SCAN_STATES[stat], long or "-", short or "-", code,
                     SCAN_TECHS.get(act, "-") if act else "-")
                    for stat, long, short, code, act in entries]
    return None


def scan_simulator(*sim_args):
    """celdara-monitor --scan against the simulated modem on a pty, and what the modem sent."""
    sim = subprocess.Popen([SIMULATOR, "--trace", "--seed", "7", "--latency", "5", *sim_args],
                           stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
    try:
        pty = sim.stdout.readline().strip()
        result = run("--scan", pty)
    finally:
        sim.terminate()
        _, trace = sim.communicate(timeout=TIMEOUT)
    return result, trace


class NetworkScan(unittest.TestCase):
    def test_the_networks_printed_are_those_the_modem_sent(self):
        for dialect in ("gsm", "quectel"):
            with self.subTest(dialect=dialect):
                result, trace = scan_simulator("--dialect", dialect)
                self.assertEqual(result.returncode, 0, result.stderr)
                sent = networks_sent(trace)
                self.assertTrue(sent, "the modem sent no network list")
                printed = [tuple(re.split(r" {2,}", line.strip()))
                           for line in result.stdout.splitlines()]
                self.assertEqual(printed, sent)
                self.assertIn("current", [p[0] for p in printed])

    def test_a_refused_scan_exits_1_with_the_modems_reason(self):
        result, _ = scan_simulator("--fault", "error=+COPS=?")
        self.assertEqual(result.returncode, 1, result.stdout)
        self.assertIn("refused", result.stderr)
        self.assertEqual(result.stdout, "")


def json_records(text, count):
    records = [json.loads(line) for line in text.splitlines()]  # raises on anything not JSON
    if len(records) != count:
        raise AssertionError(f"{len(records)} records, not {count}")
    return records


if __name__ == "__main__":
    unittest.main(argv=[sys.argv[0], "-v"])
