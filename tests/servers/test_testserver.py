"""Self-test of testserver.py: runs the real server as a subprocess and talks HTTP to it."""

import http.client
import json
import os
import signal
import socket
import subprocess
import sys
import tempfile
import time
import unittest
import urllib.parse
import zlib

SERVER = os.path.join(os.path.dirname(os.path.abspath(__file__)), "testserver.py")
GiB = 1 << 30


def expected_bytes(offset, n, seed=1):
    """The payload rule written out byte by byte, independent of the server's fast path."""
    state = (seed * 2654435761 + 12345) & 0xFFFFFFFF
    table = []
    for _ in range(65521):
        state = (state * 1103515245 + 12345) & 0xFFFFFFFF
        table.append((state >> 16) & 0xFF)
    return bytes(table[i % 65521] ^ ((i // 65521) % 256) for i in range(offset, offset + n))


class ServerProcess:
    def __init__(self, *extra_args, output=None):
        self.dir = tempfile.TemporaryDirectory(prefix="tolvan-ts-selftest-")
        self.port_file = os.path.join(self.dir.name, "port")
        self.process = subprocess.Popen([sys.executable, SERVER, "--port-file", self.port_file, *extra_args],
                                        stdin=subprocess.DEVNULL, stdout=output, stderr=output)
        deadline = time.monotonic() + 10
        while not os.path.exists(self.port_file):
            if self.process.poll() is not None or time.monotonic() > deadline:
                raise RuntimeError("test server did not start")
            time.sleep(0.02)
        with open(self.port_file) as port_text:
            self.port_text = port_text.read()
        self.port = int(self.port_text)

    def connect(self):
        return http.client.HTTPConnection("127.0.0.1", self.port, timeout=30)

    def request(self, method, target, headers=None, body=None):
        connection = self.connect()
        try:
            connection.request(method, target, body=body, headers=headers or {})
            response = connection.getresponse()
            return response.status, dict(response.getheaders()), response.read()
        finally:
            connection.close()

    def control(self, target):
        status, _, body = self.request("GET", "/_control/" + target)
        if status != 200:
            raise RuntimeError("control %s answered %d" % (target, status))
        return json.loads(body)

    def raw(self, target, method="GET", range_header=None):
        """Sends one request on a plain socket; returns it with the reply's head already read."""
        sock = socket.create_connection(("127.0.0.1", self.port), timeout=30)
        lines = ["%s %s HTTP/1.1" % (method, target), "Host: 127.0.0.1"]
        if range_header:
            lines.append("Range: " + range_header)
        sock.sendall(("\r\n".join(lines) + "\r\n\r\n").encode())
        head = b""
        while b"\r\n\r\n" not in head:
            chunk = sock.recv(1)
            if not chunk:
                break
            head += chunk
        status_line, *header_lines = head.decode().split("\r\n")
        headers = {}
        for line in filter(None, header_lines):
            name, _, value = line.partition(":")
            headers[name.strip().lower()] = value.strip()
        return sock, int(status_line.split()[1]), headers

    def stop(self):
        if self.process.poll() is None:
            try:
                self.control("shutdown")
            except OSError:
                pass
            try:
                self.process.wait(10)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()
        self.dir.cleanup()


def read_to_end(sock):
    data = b""
    while True:
        chunk = sock.recv(65536)
        if not chunk:
            return data
        data += chunk


def read_to_end_of_chunks(sock):
    """The body of a chunked reply, its framing taken off."""
    stream = sock.makefile("rb")
    body = b""
    while True:
        size = int(stream.readline().split(b";")[0].strip(), 16)
        if size == 0:
            return body
        body += stream.read(size)
        stream.readline()


class ServerTestCase(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.server = ServerProcess()

    @classmethod
    def tearDownClass(cls):
        cls.server.stop()

    def setUp(self):
        self.server.control("reset")

    def get(self, target, range_header=None, method="GET"):
        headers = {"Range": range_header} if range_header else {}
        return self.server.request(method, target, headers)


class PayloadAndRanges(ServerTestCase):
    def test_whole_file_without_range(self):
        status, headers, body = self.get("/files/a?size=200000")
        self.assertEqual(status, 200)
        self.assertEqual(headers["Content-Length"], "200000")
        self.assertEqual(body, expected_bytes(0, 200000))

    def test_closed_range_answers_206_with_content_range(self):
        status, headers, body = self.get("/files/a?size=1000000", "bytes=65500-65599")
        self.assertEqual(status, 206)
        self.assertEqual(headers["Content-Range"], "bytes 65500-65599/1000000")
        self.assertEqual(headers["Content-Length"], "100")
        self.assertEqual(body, expected_bytes(65500, 100))

    def test_open_range_runs_to_the_end(self):
        status, headers, body = self.get("/files/a?size=300000", "bytes=299000-")
        self.assertEqual(status, 206)
        self.assertEqual(headers["Content-Range"], "bytes 299000-299999/300000")
        self.assertEqual(body, expected_bytes(299000, 1000))

    def test_range_end_past_the_file_is_clamped(self):
        status, headers, body = self.get("/files/a?size=1000", "bytes=900-5000")
        self.assertEqual((status, headers["Content-Range"], len(body)), (206, "bytes 900-999/1000", 100))

    def test_offsets_above_4_gib_and_other_seeds(self):
        for offset, seed in ((5 * GiB + 12345, 1), (4 * GiB - 50, 7), ((1 << 40) + 3, 2)):
            status, headers, body = self.get("/files/big?size=%d&seed=%d" % (2 * offset, seed),
                                             "bytes=%d-%d" % (offset, offset + 99))
            self.assertEqual(status, 206)
            self.assertEqual(body, expected_bytes(offset, 100, seed), "offset %d seed %d" % (offset, seed))

    def test_seed_changes_the_content(self):
        _, _, one = self.get("/files/a?size=1000&seed=1")
        _, _, two = self.get("/files/a?size=1000&seed=2")
        self.assertNotEqual(one, two)

    def test_etag_names_size_and_seed_unless_withheld(self):
        tags = {self.get("/files/a?size=1000&seed=%d" % seed, method=method)[1]["ETag"]
                for seed in (1, 2) for method in ("HEAD", "GET")}
        self.assertEqual(len(tags), 2)
        _, headers, _ = self.get("/files/a?size=1000&fault=no-version", method="HEAD")
        self.assertNotIn("ETag", headers)
        self.assertNotIn("Last-Modified", headers)

    def test_unsatisfiable_or_malformed_ranges_answer_416(self):
        for header in ("bytes=1000-", "bytes=5-2", "bytes=a-b", "items=0-1", "bytes=0-1,5-6"):
            status, headers, _ = self.get("/files/a?size=1000", header)
            self.assertEqual(status, 416, header)
            self.assertEqual(headers["Content-Range"], "bytes */1000")

    def test_head_gives_length_and_no_body(self):
        status, headers, body = self.get("/files/a?size=%d" % (6 * GiB), method="HEAD")
        self.assertEqual((status, headers["Content-Length"], headers["Accept-Ranges"], body),
                         (200, str(6 * GiB), "bytes", b""))

    def test_unknown_paths_and_missing_sizes_answer_404(self):
        self.assertEqual(self.get("/nothing")[0], 404)
        self.assertEqual(self.get("/files/a")[0], 404)

    def test_keep_alive_serves_several_requests_on_one_connection(self):
        connection = self.server.connect()
        for offset in (0, 100, 200):
            connection.request("GET", "/files/a?size=1000", headers={"Range": "bytes=%d-%d" % (offset, offset + 9)})
            response = connection.getresponse()
            self.assertEqual(response.read(), expected_bytes(offset, 10))
        connection.close()
        log = self.server.control("log")
        self.assertEqual(len({entry["conn"] for entry in log}), 1)


class LogAndStats(ServerTestCase):
    def test_log_records_method_path_query_range_and_status(self):
        self.server.request("GET", "/files/x?size=500", {"Range": "bytes=10-19", "Accept-Encoding": "gzip"})
        self.server.raw("/files/x?size=500", method="HEAD")[0].close()  # a request without Accept-Encoding
        log = self.server.control("log")
        self.assertEqual([(e["method"], e["path"], e["query"], e["range"], e["accept_encoding"], e["status"])
                          for e in log],
                         [("GET", "/files/x", "size=500", "bytes=10-19", "gzip", 206),
                          ("HEAD", "/files/x", "size=500", None, None, 200)])
        self.assertIsInstance(log[0]["time"], float)

    def test_control_requests_are_not_logged_and_reset_clears(self):
        self.get("/files/x?size=10")
        self.server.control("stats")
        self.assertEqual(len(self.server.control("log")), 1)
        self.server.control("reset")
        self.assertEqual(self.server.control("log"), [])
        self.assertEqual(self.server.control("stats")["requests"], 0)

    def test_counts_simultaneous_transfers_and_connections(self):
        # Bodies far larger than the socket buffers keep every transfer running while unread.
        socks = [self.server.raw("/files/big?size=%d" % GiB)[0] for _ in range(3)]
        try:
            stats = self.poll_stats(lambda s: s["max_concurrent"] >= 3)
            self.assertEqual(stats["max_concurrent"], 3)
            self.assertGreaterEqual(stats["max_connections"], 3)
        finally:
            for sock in socks:
                sock.close()

    def test_handles_over_a_hundred_connections_at_once(self):
        socks = []
        try:
            for _ in range(120):
                sock, status, headers = self.server.raw("/files/small?size=10")
                self.assertEqual(status, 200)
                socks.append(sock)
            stats = self.poll_stats(lambda s: s["open_connections"] >= 120)
            self.assertGreaterEqual(stats["max_connections"], 120)
        finally:
            for sock in socks:
                sock.close()

    def poll_stats(self, done):
        for _ in range(500):
            stats = self.server.control("stats")
            if done(stats):
                return stats
            time.sleep(0.02)
        self.fail("stats never got there: %r" % stats)


class Faults(ServerTestCase):
    def test_no_length_ends_the_body_by_closing(self):
        sock, status, headers = self.server.raw("/files/a?size=70000&fault=no-length")
        self.assertEqual(status, 200)
        self.assertNotIn("content-length", headers)
        self.assertEqual(read_to_end(sock), expected_bytes(0, 70000))
        sock.close()

    def test_resized_probes_the_old_size_and_sends_the_whole_new_file_without_length(self):
        _, head, _ = self.get("/files/a?size=70000&fault=resized=60000", method="HEAD")
        _, plain, _ = self.get("/files/a?size=60000", method="HEAD")
        self.assertEqual((head["Content-Length"], head["ETag"]), ("60000", plain["ETag"]))
        sock, status, headers = self.server.raw("/files/a?size=70000&fault=resized=60000", range_header="bytes=0-59999")
        self.assertEqual(status, 200)
        self.assertNotIn("content-length", headers)
        self.assertNotIn("content-range", headers)
        self.assertNotEqual(headers["etag"], plain["ETag"])
        self.assertEqual(read_to_end(sock), expected_bytes(0, 70000))
        sock.close()

    def test_linger_keeps_the_connection_open_after_the_body(self):
        sock, status, headers = self.server.raw("/files/a?size=5000&fault=no-length,linger")
        self.assertEqual(status, 200)
        sock.settimeout(0.5)
        data = b""
        with self.assertRaises(socket.timeout):
            while True:
                chunk = sock.recv(65536)
                if not chunk:
                    self.fail("the connection was closed")
                data += chunk
        self.assertEqual(data, expected_bytes(0, 5000))
        sock.close()

    def test_padded_range_names_half_and_pads_the_rest_with_zeros(self):
        status, headers, body = self.get("/files/a?size=10000&fault=padded-range", "bytes=1000-1999")
        self.assertEqual((status, headers["Content-Range"], headers["Content-Length"]),
                         (206, "bytes 1000-1499/10000", "1000"))
        self.assertEqual(body, expected_bytes(1000, 500) + bytes(500))

    def test_chunked_sends_a_body_without_length_in_chunks(self):
        for fault, size in (("no-length,chunked", 300000), ("resized=1000,chunked", 300000)):
            status, headers, body = self.get("/files/a?size=%d&fault=%s" % (size, fault), "bytes=10-20")
            self.assertEqual(headers.get("Transfer-Encoding"), "chunked", fault)
            self.assertNotIn("Content-Length", headers)
            if fault.startswith("resized"):
                self.assertEqual((status, body), (200, expected_bytes(0, size)), fault)
            else:
                self.assertEqual((status, body), (206, expected_bytes(10, 11)), fault)

    def test_chunked_also_sends_a_ranged_body_without_its_length(self):
        status, headers, body = self.get("/files/a?size=300000&fault=chunked", "bytes=10-20")
        self.assertEqual((status, headers.get("Transfer-Encoding"), headers["Content-Range"]),
                         (206, "chunked", "bytes 10-20/300000"))
        self.assertNotIn("Content-Length", headers)
        self.assertEqual(body, expected_bytes(10, 11))

    def test_gzip_compresses_get_bodies_whatever_the_request_accepts(self):
        target = "/files/a?size=300000&fault=gzip"
        for range_header, status, first in (("bytes=1000-200999", 206, 1000), (None, 200, 0)):
            sock, code, headers = self.server.raw(target, range_header=range_header)
            body = read_to_end_of_chunks(sock)
            sock.close()
            self.assertEqual((code, headers["content-encoding"], headers["transfer-encoding"]),
                             (status, "gzip", "chunked"))
            self.assertNotIn("content-length", headers)
            self.assertEqual(body[:4], b"\x1f\x8b\x08\x00")
            self.assertEqual(zlib.decompress(body, 31), expected_bytes(first, 200000 if range_header else 300000))
        _, head, _ = self.get(target, method="HEAD")
        self.assertNotIn("Content-Encoding", head)
        _, head, _ = self.get("/files/a?size=300000&fault=gzip-head", method="HEAD")
        self.assertEqual((head["Content-Encoding"], head["Content-Length"]), ("gzip", "300000"))

    def test_wide_range_answers_up_to_the_end_of_the_file(self):
        status, headers, body = self.get("/files/a?size=10000&fault=wide-range", "bytes=1000-1999")
        self.assertEqual((status, headers["Content-Range"], headers["Content-Length"]),
                         (206, "bytes 1000-9999/10000", "9000"))
        self.assertEqual(body, expected_bytes(1000, 9000))

    def test_long_range_names_the_range_but_sends_the_whole_file(self):
        status, headers, body = self.get("/files/a?size=10000&fault=long-range", "bytes=1000-1999")
        self.assertEqual((status, headers["Content-Range"], headers["Content-Length"]),
                         (206, "bytes 1000-1999/10000", "10000"))
        self.assertEqual(body, expected_bytes(0, 10000))
        status, headers, body = self.get("/files/a?size=10000&fault=long-range,chunked", "bytes=1000-1999")
        self.assertEqual((status, headers["Content-Range"], headers["Transfer-Encoding"]),
                         (206, "bytes 1000-1999/10000", "chunked"))
        self.assertEqual(body, expected_bytes(0, 10000))

    def test_head_faults_leave_get_working(self):
        for fault, code in (("head-404", 404), ("head-500", 500)):
            self.assertEqual(self.get("/files/a?size=10&fault=" + fault, method="HEAD")[0], code)
            self.assertEqual(self.get("/files/a?size=10&fault=" + fault)[0], 200)

    def test_get_faults_leave_head_working(self):
        for fault, code in (("get-404", 404), ("get-500", 500)):
            self.assertEqual(self.get("/files/a?size=10&fault=" + fault)[0], code)
            self.assertEqual(self.get("/files/a?size=10&fault=" + fault, "bytes=0-1")[0], code)
            self.assertEqual(self.get("/files/a?size=10&fault=" + fault, method="HEAD")[0], 200)

    def test_range_500_hits_only_ranges_from_its_offset(self):
        target = "/files/a?size=10000&fault=range-500@5000"
        self.assertEqual(self.get(target, "bytes=0-99")[0], 206)
        self.assertEqual(self.get(target, "bytes=4999-5100")[0], 206)
        self.assertEqual(self.get(target, "bytes=5000-5100")[0], 500)
        self.assertEqual(self.get(target, "bytes=9000-")[0], 500)

    def test_ignore_range_sends_the_whole_body(self):
        status, headers, body = self.get("/files/a?size=5000&fault=ignore-range", "bytes=100-199")
        self.assertEqual((status, len(body)), (200, 5000))
        self.assertNotIn("Content-Range", headers)
        self.assertEqual(body, expected_bytes(0, 5000))

    def test_wrong_start_shifts_range_and_body(self):
        status, headers, body = self.get("/files/a?size=10000&fault=wrong-start", "bytes=3000-3099")
        self.assertEqual((status, headers["Content-Range"]), (206, "bytes 2000-2099/10000"))
        self.assertEqual(body, expected_bytes(2000, 100))
        _, headers, body = self.get("/files/a?size=10000&fault=wrong-start", "bytes=0-99")
        self.assertEqual(headers["Content-Range"], "bytes 1000-1099/10000")
        self.assertEqual(body, expected_bytes(1000, 100))
        _, headers, _ = self.get("/files/a?size=10000&fault=wrong-start", "bytes=500-599")
        self.assertEqual(headers["Content-Range"], "bytes 0-99/10000")
        status, headers, _ = self.get("/files/a?size=10000&fault=wrong-start")
        self.assertEqual((status, headers["Content-Range"]), (206, "bytes 1000-9999/10000"))

    def test_cut_range_names_the_whole_range_and_sends_half(self):
        for range_header in ("bytes=100-299", None):
            status, headers, body = self.get("/files/a?size=1000&fault=cut-range", range_header)
            first = 100 if range_header else 0
            last = 299 if range_header else 999
            self.assertEqual((status, headers["Content-Range"]), (206, "bytes %d-%d/1000" % (first, last)))
            self.assertEqual(body, expected_bytes(first, (last - first + 1) // 2))

    def test_extra_bytes_follow_the_announced_body(self):
        sock, status, headers = self.server.raw("/files/a?size=10000&fault=extra-bytes", range_header="bytes=100-199")
        self.assertEqual((status, headers["content-length"]), (206, "100"))
        body = read_to_end(sock)
        sock.close()
        self.assertEqual(len(body), 100 + 4096)
        self.assertEqual(body[:100], expected_bytes(100, 100))

    def test_short_body_sends_half_then_closes(self):
        sock, status, headers = self.server.raw("/files/a?size=10000&fault=short-body")
        self.assertEqual(headers["content-length"], "10000")
        self.assertEqual(read_to_end(sock), expected_bytes(0, 5000))
        sock.close()

    def test_reset_breaks_the_connection_mid_body(self):
        sock, status, headers = self.server.raw("/files/a?size=2000000&fault=reset")
        self.assertEqual(status, 200)
        with self.assertRaises(ConnectionResetError):
            read_to_end(sock)
        sock.close()

    def test_stall_sends_headers_and_then_nothing(self):
        sock, status, headers = self.server.raw("/files/a?size=10000&fault=stall")
        self.assertEqual((status, headers["content-length"]), (200, "10000"))
        sock.settimeout(0.5)
        with self.assertRaises(socket.timeout):
            sock.recv(1)
        sock.close()
        self.assertEqual(self.get("/files/a?size=10")[0], 200)

    def test_stall_mid_sends_half_the_body_and_then_nothing(self):
        sock, status, headers = self.server.raw("/files/a?size=10000&fault=stall-mid", range_header="bytes=100-")
        self.assertEqual((status, headers["content-length"]), (206, "9900"))
        body = b""
        while len(body) < 4950:
            body += sock.recv(4950 - len(body))
        self.assertEqual(body, expected_bytes(100, 4950))
        sock.settimeout(0.5)
        with self.assertRaises(socket.timeout):
            sock.recv(1)
        sock.close()

    def test_redirect_chain_ends_at_the_file(self):
        target, hops = "/files/a?size=1000&seed=4&fault=redirect-3", 0
        while True:
            status, headers, body = self.get(target, "bytes=10-19")
            if status != 302:
                break
            hops += 1
            target = headers["Location"]
        self.assertEqual((hops, status, body), (3, 206, expected_bytes(10, 10, 4)))

    def test_redirect_loop_points_at_itself(self):
        target = "/files/a?size=1000&fault=redirect-loop"
        status, headers, _ = self.get(target)
        self.assertEqual((status, headers["Location"]), (302, target))

    def test_redirect_ftp_leaves_http(self):
        status, headers, _ = self.get("/files/a?size=1000&fault=redirect-ftp")
        self.assertEqual(status, 302)
        self.assertTrue(headers["Location"].startswith("ftp://"))

    def test_slow_head_delays_only_head(self):
        began = time.monotonic()
        self.assertEqual(self.get("/files/a?size=10&fault=slow-head=300", method="HEAD")[0], 200)
        self.assertGreaterEqual(time.monotonic() - began, 0.3)

    def test_head_status_changes_only_the_probe_code(self):
        status, headers, _ = self.get("/files/a?size=1234&fault=head-status=350", method="HEAD")
        self.assertEqual((status, headers["Content-Length"]), (350, "1234"))
        self.assertEqual(self.get("/files/a?size=1234&fault=head-status=350")[0], 200)

    def test_head_size_changes_only_the_probed_length(self):
        _, headers, _ = self.get("/files/a?size=1000&fault=head-size=900", method="HEAD")
        self.assertEqual(headers["Content-Length"], "900")
        status, headers, body = self.get("/files/a?size=1000&fault=head-size=900")
        self.assertEqual((status, headers["Content-Length"], len(body)), (200, "1000", 1000))

    def test_faults_combine(self):
        target = "/files/a?size=10000&fault=head-500,range-500@5000"
        self.assertEqual(self.get(target, method="HEAD")[0], 500)
        self.assertEqual(self.get(target, "bytes=0-9")[0], 206)
        self.assertEqual(self.get(target, "bytes=6000-")[0], 500)

    def test_rate_limited_transfer_still_delivers_the_payload(self):
        status, _, body = self.get("/files/a?size=3000&rate=100000", "bytes=0-2999")
        self.assertEqual((status, body), (206, expected_bytes(0, 3000)))


class Registrations(ServerTestCase):
    def register(self, **params):
        return self.server.control("file?" + urllib.parse.urlencode(params))

    def test_registered_path_ignores_the_query(self):
        self.register(path="/download", size=100000, seed=9)
        status, headers, body = self.get("/download?f=aide", "bytes=70000-70099")
        self.assertEqual((status, headers["Content-Range"]), (206, "bytes 70000-70099/100000"))
        self.assertEqual(body, expected_bytes(70000, 100, 9))

    def test_reregistering_with_another_seed_changes_the_file(self):
        self.register(path="/changing", size=1000, seed=1)
        first = self.get("/changing")[2]
        self.register(path="/changing", size=1200, seed=2)
        second = self.get("/changing")[2]
        self.assertEqual((first, second), (expected_bytes(0, 1000, 1), expected_bytes(0, 1200, 2)))

    def test_registration_carries_faults_and_redirects(self):
        self.register(path="/", size=1000, fault="redirect-2,head-500")
        self.assertEqual(self.get("/?f=aide", method="HEAD")[0], 302)
        target, hops = "/?f=aide", 0
        while True:
            status, headers, body = self.get(target)
            if status != 302:
                break
            hops, target = hops + 1, headers["Location"]
        self.assertEqual((hops, status, body), (2, 200, expected_bytes(0, 1000)))

    def test_local_file_is_served_and_reread_when_it_changes(self):
        with tempfile.TemporaryDirectory() as folder:
            path = os.path.join(folder, "setup.exe")
            with open(path, "wb") as out:
                out.write(b"first version")
            self.register(path="/real", local=path)
            _, first, body = self.get("/real", "bytes=6-12")
            self.assertEqual(body, b"version")
            with open(path, "wb") as out:
                out.write(b"second, longer version")
            os.utime(path, ns=(0, 86400 * 10 ** 9))
            status, headers, body = self.get("/real")
            self.assertEqual((status, headers["Content-Length"], body), (200, "22", b"second, longer version"))
            self.assertNotEqual(headers["ETag"], first["ETag"])
            self.assertEqual(headers["Last-Modified"], "Fri, 02 Jan 1970 00:00:00 GMT")

    def test_reset_keeps_registrations(self):
        self.register(path="/kept", size=10)
        self.server.control("reset")
        self.assertEqual(self.get("/kept")[0], 200)

    def test_bad_registrations_are_refused(self):
        self.assertEqual(self.server.request("GET", "/_control/file?path=/x")[0], 400)
        self.assertEqual(self.server.request("GET", "/_control/file?path=x&size=1")[0], 400)
        self.assertEqual(self.server.request("GET", "/_control/nonsense")[0], 404)


class RestEndpoints(ServerTestCase):
    def tearDown(self):
        self.server.control("config")
        self.server.control("report")

    def test_default_config_points_at_the_server_itself(self):
        status, headers, body = self.get("/api/getCommonConfig?key=box_set_url")
        self.assertEqual((status, headers["Content-Type"]), (200, "application/json"))
        host = "http://127.0.0.1:%d" % self.server.port
        self.assertEqual(json.loads(body), {"code": 1000, "data": {"box_set_url": {
            "HOST": host, "BEHAVIOR_UPLOAD_URL": host + "/api/clientInfo"}}})
        self.assertEqual(self.server.control("log")[0]["query"], "key=box_set_url")

    def test_config_reply_can_be_replaced(self):
        self.server.control("config?" + urllib.parse.urlencode({"json": '{"code":1001}'}))
        self.assertEqual(json.loads(self.get("/api/getCommonConfig?key=box_set_url")[2]), {"code": 1001})
        self.server.control("config?status=500")
        self.assertEqual(self.get("/api/getCommonConfig?key=box_set_url")[0], 500)
        self.server.control("config?fault=stall")
        sock, status, _ = self.server.raw("/api/getCommonConfig?key=box_set_url")
        sock.settimeout(0.5)
        with self.assertRaises(socket.timeout):
            sock.recv(1)
        sock.close()

    def test_posted_reports_are_recorded_in_order(self):
        for action in ("1", "2"):
            status, headers, body = self.server.request(
                "POST", "/api/clientInfo", {"Content-Type": "application/json"},
                json.dumps({"action": action, "ctype": 10}).encode())
            self.assertEqual((status, headers["Content-Type"], json.loads(body)), (200, "application/json", {"code": 1000}))
        self.server.request("POST", "/api/clientInfo", {"Content-Type": "text/plain"}, b"not json")
        posts = self.server.control("posts")
        self.assertEqual([p["body"] for p in posts], [{"action": "1", "ctype": 10}, {"action": "2", "ctype": 10}, "not json"])
        self.assertEqual(posts[0]["path"], "/api/clientInfo")
        self.assertEqual(posts[0]["headers"]["Content-Type"], "application/json")

    def test_chunked_post_body_is_recorded(self):
        connection = self.server.connect()
        connection.request("POST", "/api/clientInfo", body=iter([b'{"a":', b'1}']),
                           headers={"Content-Type": "application/json"}, encode_chunked=True)
        self.assertEqual(connection.getresponse().status, 200)
        connection.close()
        self.assertEqual(self.server.control("posts")[0]["body"], {"a": 1})

    def test_report_reply_can_fail(self):
        self.server.control("report?status=500")
        self.assertEqual(self.server.request("POST", "/api/clientInfo", body=b"{}")[0], 500)
        self.assertEqual(len(self.server.control("posts")), 1)


class Lifecycle(unittest.TestCase):
    def test_port_file_holds_the_port_and_a_newline(self):
        server = ServerProcess()
        try:
            self.assertRegex(server.port_text, r"^\d+\n$")
            self.assertEqual(os.listdir(server.dir.name), ["port"])
        finally:
            server.stop()

    def test_shutdown_request_ends_the_process(self):
        server = ServerProcess()
        self.assertEqual(server.control("shutdown"), {"ok": True})
        self.assertEqual(server.process.wait(10), 0)
        server.stop()

    def test_sigterm_ends_the_process_even_with_a_stalled_client(self):
        server = ServerProcess()
        sock = server.raw("/files/a?size=100&fault=stall")[0]
        server.process.send_signal(signal.SIGTERM)
        self.assertEqual(server.process.wait(10), 0)
        sock.close()
        server.stop()

    def test_idle_server_exits_by_itself(self):
        server = ServerProcess("--idle-exit", "1")
        self.assertEqual(server.process.wait(15), 0)
        server.stop()

    def test_serve_file_option_registers_a_real_file(self):
        with tempfile.NamedTemporaryFile(delete=False) as out:
            out.write(b"demo setup bytes")
        server = ServerProcess("--serve-file", "/download=" + out.name)
        try:
            self.assertEqual(server.request("GET", "/download?f=aide")[2], b"demo setup bytes")
        finally:
            server.stop()
            os.unlink(out.name)

    def test_server_lets_go_of_the_starters_output(self):
        server = ServerProcess(output=subprocess.PIPE)
        try:
            self.assertEqual(server.process.stdout.read(), b"")
            self.assertEqual(server.process.stderr.read(), b"")
            self.assertIsNone(server.process.poll())
        finally:
            server.process.stdout.close()
            server.process.stderr.close()
            server.stop()

    def test_verbose_log_file_gets_the_requests(self):
        with tempfile.TemporaryDirectory() as folder:
            log_path = os.path.join(folder, "server.log")
            server = ServerProcess("--verbose", "--log-file", log_path)
            server.request("GET", "/files/logged?size=1")
            server.stop()
            with open(log_path) as log:
                self.assertIn("/files/logged", log.read())

    def test_fixed_port_option(self):
        probe = socket.socket()
        probe.bind(("127.0.0.1", 0))
        port = probe.getsockname()[1]
        probe.close()
        server = ServerProcess("--port", str(port))
        try:
            self.assertEqual(server.port, port)
        finally:
            server.stop()


if __name__ == "__main__":
    unittest.main()
