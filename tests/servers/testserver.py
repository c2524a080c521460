#!/usr/bin/env python3
"""Local HTTP/1.1 server for the tests: synthetic files with byte ranges and fault modes, the
configuration and behaviour-report endpoints, and a control API that exposes what was asked.

Standard library only; binds 127.0.0.1. Run with --help for the options.

  GET|HEAD /files/<name>?size=N[&seed=S][&fault=F,...][&rate=BPS]   synthetic file
  GET|HEAD <registered path>                     see /_control/file and --serve-file
  Faults: no-length, head-404, head-500, get-404, get-500, range-500@K, ignore-range,
          wrong-start (a 206 from another offset than asked, also to a GET that asked for no range),
          extra-bytes, short-body, reset, stall, stall-mid (half the body, then nothing),
          redirect-N, redirect-loop, redirect-ftp,
          slow-head=MS, head-status=N (HEAD answers N with the usual headers),
          head-size=N (HEAD names N bytes),
          resized=N (the file was N bytes at the probe: HEAD names N and that size's ETag; GETs get
                     the whole current file whatever their range, without Content-Length, the
                     connection closed at its end),
          chunked (a GET body goes chunked on a kept connection, without Content-Length),
          gzip (a GET body goes gzip-compressed with Content-Encoding: gzip, chunked, whatever the
                request accepts), gzip-head (HEAD names Content-Encoding: gzip too),
          wide-range (a 206 answers from the first byte asked for to the end of the file, and names
                      all of that),
          long-range (a 206 names the range asked for in Content-Range, but its body is the whole
                      file from offset 0: Content-Length the file's size, unless chunked),
          linger (after the body the connection stays open, sending nothing, until the client leaves),
          padded-range (a 206 names only the first half of its range in Content-Range but sends the
                        whole length, zero bytes after that half),
          cut-range (a 206, also to a GET that asked for no range, names its whole range in
                     Content-Range but its Content-Length and body cover only the first half),
          no-version (no ETag/Last-Modified; files otherwise carry an ETag of size and seed/mtime),
          no-version-head (only HEAD answers without them)
  GET  /api/getCommonConfig     configuration reply (see /_control/config)
  POST /api/clientInfo          recorded; reply {"code":1000} (see /_control/report)
  GET  /_control/{file,log,stats,reset,posts,config,report,shutdown}
       config and report take json=<text>, status=N, fault=stall; without them: the default reply
"""

import argparse
import email.utils
import json
import os
import select
import signal
import socket
import struct
import sys
import threading
import time
import urllib.parse
import zlib
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

PAYLOAD_PERIOD = 65521
SEND_CHUNK = 256 * 1024
WRONG_START_SHIFT = 1000
EXTRA_BYTES = 4096
XOR_TABLES = [bytes(b ^ k for b in range(256)) for k in range(256)]


class Payload:
    """The deterministic content of synthetic files: byte(i) = T[i mod P] ^ ((i div P) mod 256)."""

    _tables = {}
    _lock = threading.Lock()

    @classmethod
    def table(cls, seed):
        with cls._lock:
            table = cls._tables.get(seed)
            if table is None:
                state = (seed * 2654435761 + 12345) & 0xFFFFFFFF
                out = bytearray(PAYLOAD_PERIOD)
                for j in range(PAYLOAD_PERIOD):
                    state = (state * 1103515245 + 12345) & 0xFFFFFFFF
                    out[j] = (state >> 16) & 0xFF
                table = cls._tables[seed] = bytes(out)
            return table

    @classmethod
    def read(cls, seed, offset, n):
        table = cls.table(seed)
        parts = []
        while n > 0:
            block, j = divmod(offset, PAYLOAD_PERIOD)
            take = min(n, PAYLOAD_PERIOD - j)
            parts.append(table[j:j + take].translate(XOR_TABLES[block & 0xFF]))
            offset += take
            n -= take
        return b"".join(parts)


class SyntheticSource:
    def __init__(self, size, seed):
        self.size = size
        self.seed = seed
        self.etag = self.etag_for(size)
        self.last_modified = None

    def etag_for(self, size):
        return '"%x-%x"' % (size, self.seed)

    def open(self):
        return self

    def read(self, offset, n):
        return Payload.read(self.seed, offset, n)

    def close(self):
        pass


class LocalFileSource:
    """A real file; its size is taken per request so a file replaced between runs is seen as such."""

    def __init__(self, path):
        self.path = path
        self.size = None
        self.etag = None
        self.last_modified = None
        self._file = None

    def open(self):
        opened = LocalFileSource(self.path)
        opened._file = open(self.path, "rb")
        status = os.fstat(opened._file.fileno())
        opened.size = status.st_size
        opened.mtime_ns = status.st_mtime_ns
        opened.etag = opened.etag_for(status.st_size)
        opened.last_modified = email.utils.formatdate(status.st_mtime, usegmt=True)
        return opened

    def etag_for(self, size):
        return '"%x-%x"' % (size, self.mtime_ns)

    def read(self, offset, n):
        self._file.seek(offset)
        data = self._file.read(n)
        # Past the end (the extra-bytes fault) the file has nothing more: pad with zero bytes.
        return data + bytes(n - len(data))

    def close(self):
        self._file.close()


def parse_faults(text):
    """'a,b=1,range-500@7' -> {'a': None, 'b': '1', 'range-500': '7'}"""
    faults = {}
    for item in filter(None, (part.strip() for part in (text or "").split(","))):
        if item.startswith("redirect-") and item[len("redirect-"):].isdigit():
            faults["redirect"] = item[len("redirect-"):]
        elif "=" in item:
            key, value = item.split("=", 1)
            faults[key] = value
        elif "@" in item:
            key, value = item.split("@", 1)
            faults[key] = value
        else:
            faults[item] = None
    return faults


def parse_range(header, size):
    """Returns (start, end) inclusive, None without a header, or 'invalid' (answer 416)."""
    if header is None:
        return None
    header = header.strip()
    if not header.startswith("bytes="):
        return "invalid"
    wanted = header[len("bytes="):].strip()
    if "," in wanted or "-" not in wanted:
        return "invalid"
    first, last = (part.strip() for part in wanted.split("-", 1))
    if not first:  # suffix form: the last N bytes
        if not last.isdigit() or int(last) == 0 or size == 0:
            return "invalid"
        return max(0, size - int(last)), size - 1
    if not first.isdigit() or (last and not last.isdigit()):
        return "invalid"
    start = int(first)
    end = int(last) if last else size - 1
    if start >= size or end < start:
        return "invalid"
    return start, min(end, size - 1)


class ServerState:
    """Everything the control API reads or changes; one lock guards it all."""

    def __init__(self):
        self.lock = threading.Lock()
        self.started = time.time()
        self.last_activity = time.monotonic()
        self.registrations = {}
        self.config = None
        self.report_reply = None
        self.next_conn = 0
        self.open_connections = 0
        self.active_transfers = 0
        self.clear()

    def clear(self):
        """Forgets what was asked so far; open connections and running transfers stay counted."""
        self.log = []
        self.posts = []
        self.requests = 0
        self.max_concurrent = self.active_transfers
        self.max_connections = self.open_connections

    def touch(self):
        self.last_activity = time.monotonic()


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    server_version = "TolvanTestServer/1"

    # --- connection bookkeeping -------------------------------------------------------------
    def setup(self):
        super().setup()
        self.connection.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
        state = self.server.state
        with state.lock:
            state.next_conn += 1
            self.conn_id = state.next_conn
            state.open_connections += 1
            state.max_connections = max(state.max_connections, state.open_connections)
            state.touch()

    def finish(self):
        try:
            super().finish()
        finally:
            state = self.server.state
            with state.lock:
                state.open_connections -= 1

    def log_message(self, fmt, *args):
        if self.server.verbose:
            sys.stderr.write("%s [conn %d] %s\n" % (self.log_date_time_string(), self.conn_id, fmt % args))

    # --- dispatch -----------------------------------------------------------------------------
    def do_HEAD(self):
        self.dispatch()

    def do_GET(self):
        self.dispatch()

    def do_POST(self):
        self.dispatch()

    def dispatch(self):
        url = urllib.parse.urlsplit(self.path)
        self.url_path = urllib.parse.unquote(url.path)
        self.url_query = url.query
        self.params = dict(urllib.parse.parse_qsl(url.query, keep_blank_values=True))
        self.server.state.touch()
        if self.url_path.startswith("/_control/"):
            self.handle_control(self.url_path[len("/_control/"):])
            return
        with self.server.state.lock:
            self.server.state.requests += 1
        if self.command == "POST":
            self.handle_post()
        elif self.url_path == "/api/getCommonConfig":
            self.handle_config()
        else:
            self.handle_file()

    def record(self, status):
        entry = {"method": self.command, "path": self.url_path, "query": self.url_query,
                 "range": self.headers.get("Range"), "accept_encoding": self.headers.get("Accept-Encoding"),
                 "status": status, "conn": self.conn_id,
                 "time": time.time(), "sent": 0}
        with self.server.state.lock:
            self.server.state.log.append(entry)
        return entry

    # --- small replies ------------------------------------------------------------------------
    def reply(self, status, body=b"", content_type="text/plain", headers=(), log=True):
        if log:
            self.record(status)
        self.send_response(status)
        self.send_header("Content-Type", content_type)
        self.send_header("Content-Length", str(len(body)))
        for name, value in headers:
            self.send_header(name, value)
        self.end_headers()
        if self.command != "HEAD":
            self.wfile.write(body)

    def reply_json(self, value, status=200, log=True):
        self.reply(status, json.dumps(value).encode(), "application/json", log=log)

    def stall(self):
        """Keeps the connection open without sending until the client leaves or the server stops."""
        self.close_connection = True
        try:
            self.wfile.flush()
            while not self.server.stopping.is_set():
                readable, _, _ = select.select([self.connection], [], [], 0.2)
                if readable and not self.connection.recv(65536, socket.MSG_PEEK):
                    return
                if readable:
                    self.connection.recv(65536)
        except OSError:
            pass

    # --- files ----------------------------------------------------------------------------------
    def resolve_file(self):
        """Returns (source, faults, rate) or None when nothing is served at this path."""
        with self.server.state.lock:
            registration = self.server.state.registrations.get(self.url_path)
        if registration is not None:
            return registration["source"], parse_faults(registration["fault"]), registration["rate"]
        if not self.url_path.startswith("/files/"):
            return None
        try:
            size = int(self.params["size"])
            seed = int(self.params.get("seed", "1"))
            rate = int(self.params.get("rate", "0"))
        except (KeyError, ValueError):
            return None
        return SyntheticSource(size, seed), parse_faults(self.params.get("fault")), rate

    def redirect_target(self, faults):
        """The Location of the next hop, or None when the file is to be served now."""
        if "redirect-loop" in faults:
            return self.path
        if "redirect-ftp" in faults:
            return "ftp://127.0.0.1:21" + self.url_path
        if "redirect" not in faults:
            return None
        remaining = int(self.params.get("_redirect", faults["redirect"]))
        if remaining <= 0:
            return None
        params = dict(self.params)
        if self.url_path.startswith("/files/"):
            listed = [f for f in params.get("fault", "").split(",") if not f.startswith("redirect-")]
            if remaining > 1:
                listed.append("redirect-%d" % (remaining - 1))
            params["fault"] = ",".join(listed)
            if not params["fault"]:
                del params["fault"]
        else:
            params["_redirect"] = str(remaining - 1)
        return self.url_path + "?" + urllib.parse.urlencode(params)

    def handle_file(self):
        resolved = self.resolve_file()
        if resolved is None:
            self.reply(404, b"not found\n")
            return
        source, faults, rate = resolved
        is_head = self.command == "HEAD"
        if is_head and "slow-head" in faults:
            time.sleep(int(faults["slow-head"] or "0") / 1000.0)
        location = self.redirect_target(faults)
        if location is not None:
            self.reply(302, b"", headers=[("Location", location)])
            return
        for fault, status in (("head-404", 404), ("head-500", 500), ("get-404", 404), ("get-500", 500)):
            if fault in faults and is_head == fault.startswith("head-"):
                self.reply(status, b"fault\n")
                return
        try:
            opened = source.open()
        except OSError:
            self.reply(404, b"not found\n")
            return
        try:
            self.serve_body(opened, faults, rate, is_head)
        finally:
            opened.close()

    def serve_body(self, source, faults, rate, is_head):
        size = source.size
        resized = "resized" in faults
        wanted = None if "ignore-range" in faults or resized else parse_range(self.headers.get("Range"), size)
        if wanted == "invalid":
            self.reply(416, b"", headers=[("Content-Range", "bytes */%d" % size)])
            return
        if not is_head and "range-500" in faults:
            start = wanted[0] if wanted else 0
            if start >= int(faults["range-500"] or "0"):
                self.reply(500, b"fault\n")
                return
        if wanted is None and ("wrong-start" in faults or "cut-range" in faults) and not is_head:
            wanted = (0, size - 1)
        if wanted is not None and "wide-range" in faults:
            wanted = wanted[0], size - 1
        if wanted is not None and "wrong-start" in faults:
            start, end = wanted
            shifted = start - WRONG_START_SHIFT if start > 0 else WRONG_START_SHIFT
            shifted = max(0, min(shifted, size - 1))
            wanted = shifted, min(size - 1, shifted + end - start)
        status = 206 if wanted is not None else 200
        if is_head and "head-status" in faults:
            status = int(faults["head-status"] or "200")
        start, end = wanted if wanted is not None else (0, size - 1)
        length = end - start + 1
        padded = wanted is not None and "padded-range" in faults
        announced = max(1, length // 2) if padded else length  # what Content-Range names
        body_length = length // 2 if wanted is not None and "cut-range" in faults else length
        long_range = wanted is not None and "long-range" in faults and not is_head
        body_start = 0 if long_range else start
        if long_range:
            body_length = length = size
        gzipped = "gzip" in faults and not is_head
        entry = self.record(status)
        self.send_response(status)
        self.send_header("Content-Type", "application/octet-stream")
        self.send_header("Accept-Ranges", "bytes")
        probed_size = int(faults["resized"] or "0") if resized else None
        if "no-version" not in faults and not (is_head and "no-version-head" in faults):
            self.send_header("ETag", source.etag_for(probed_size) if is_head and resized else source.etag)
            if source.last_modified:
                self.send_header("Last-Modified", source.last_modified)
        if gzipped or (is_head and "gzip-head" in faults):
            self.send_header("Content-Encoding", "gzip")
        unlengthed = "no-length" in faults or (resized and not is_head)
        chunked = not is_head and ("chunked" in faults or gzipped)
        if chunked:
            self.send_header("Transfer-Encoding", "chunked")
        elif unlengthed:
            self.send_header("Connection", "close")
            self.close_connection = True
        elif is_head and resized:
            self.send_header("Content-Length", str(probed_size))
        elif is_head and "head-size" in faults:
            self.send_header("Content-Length", faults["head-size"] or "0")
        else:
            self.send_header("Content-Length", str(body_length))
        if wanted is not None:
            self.send_header("Content-Range", "bytes %d-%d/%d" % (start, start + announced - 1, size))
        self.end_headers()
        if is_head:
            return
        if "stall" in faults:
            self.stall()
            return
        compressor = zlib.compressobj(1, zlib.DEFLATED, 31) if gzipped else None
        if "stall-mid" in faults:
            self.send_payload(source, body_start, length // 2, rate, entry, chunked, compressor)
            self.stall()
            return
        sent_length = body_length
        if "extra-bytes" in faults:
            sent_length = length + EXTRA_BYTES
            self.close_connection = True
        elif "short-body" in faults or "reset" in faults:
            sent_length = length // 2
            self.close_connection = True
        self.send_payload(source, body_start, announced if padded else sent_length, rate, entry, chunked, compressor)
        if padded:
            self.wfile.write(bytes(length - announced))
        if "linger" in faults:
            self.stall()
            return
        if chunked and "reset" not in faults:
            self.wfile.write(b"0\r\n\r\n")
        if "reset" in faults:
            self.wfile.flush()
            self.connection.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
            self.connection.close()

    def write_body(self, data, chunked):
        if data:  # an empty chunk would end a chunked body
            self.wfile.write(b"%x\r\n%s\r\n" % (len(data), data) if chunked else data)

    def send_payload(self, source, offset, n, rate, entry, chunked=False, compressor=None):
        state = self.server.state
        with state.lock:
            state.active_transfers += 1
            state.max_concurrent = max(state.max_concurrent, state.active_transfers)
        sent = 0
        try:
            chunk = SEND_CHUNK if rate <= 0 else max(1, min(SEND_CHUNK, rate // 20))
            began = time.monotonic()
            while sent < n:
                take = min(chunk, n - sent)
                # Counted before the write: a client that has the bytes finds them in the log.
                entry["sent"] = sent + take
                data = source.read(offset + sent, take)
                self.write_body(compressor.compress(data) if compressor else data, chunked)
                sent += take
                state.touch()
                if rate > 0:
                    ahead = sent / rate - (time.monotonic() - began)
                    if ahead > 0:
                        time.sleep(ahead)
            if compressor:
                self.write_body(compressor.flush(), chunked)
        finally:
            entry["sent"] = sent  # body bytes handed to the socket
            with state.lock:
                state.active_transfers -= 1

    # --- configuration and reports --------------------------------------------------------------
    def canned_reply(self, canned, default_body):
        canned = canned or {}
        if canned.get("fault") == "stall":
            self.record(200)
            self.send_response(200)
            self.send_header("Content-Type", "application/json")
            self.end_headers()
            self.stall()
            return
        body = canned.get("json")
        body = default_body if body is None else body
        self.reply(canned.get("status", 200), body.encode(), "application/json")

    def handle_config(self):
        host = "http://127.0.0.1:%d" % self.server.server_address[1]
        default = json.dumps({"code": 1000, "data": {"box_set_url": {
            "HOST": host, "BEHAVIOR_UPLOAD_URL": host + "/api/clientInfo"}}})
        with self.server.state.lock:
            canned = self.server.state.config
        self.canned_reply(canned, default)

    def read_request_body(self):
        if self.headers.get("Transfer-Encoding", "").lower() == "chunked":
            parts = []
            while True:
                size = int(self.rfile.readline().split(b";")[0].strip() or b"0", 16)
                if size == 0:
                    while self.rfile.readline().strip():
                        pass
                    return b"".join(parts)
                parts.append(self.rfile.read(size))
                self.rfile.readline()
        return self.rfile.read(int(self.headers.get("Content-Length", "0") or "0"))

    def handle_post(self):
        raw = self.read_request_body()
        if self.url_path != "/api/clientInfo":
            self.reply(404, b"not found\n")
            return
        text = raw.decode("utf-8", "replace")
        try:
            body = json.loads(text)
        except ValueError:
            body = text
        with self.server.state.lock:
            self.server.state.posts.append({"path": self.url_path, "headers": dict(self.headers.items()),
                                            "body": body})
            canned = self.server.state.report_reply
        self.canned_reply(canned, json.dumps({"code": 1000}))

    # --- control API ----------------------------------------------------------------------------
    def handle_control(self, action):
        state = self.server.state
        params = self.params
        if action == "file":
            self.control_file(params)
        elif action == "log":
            with state.lock:
                self.reply_json(list(state.log), log=False)
        elif action == "stats":
            with state.lock:
                stats = {"max_concurrent": state.max_concurrent, "requests": state.requests,
                         "open_connections": state.open_connections,
                         "max_connections": state.max_connections}
            self.reply_json(stats, log=False)
        elif action == "reset":
            with state.lock:
                state.clear()
            self.reply_json({"ok": True}, log=False)
        elif action == "posts":
            with state.lock:
                self.reply_json(list(state.posts), log=False)
        elif action in ("config", "report"):
            canned = self.canned_from(params)
            if canned is None:
                return
            with state.lock:
                setattr(state, "config" if action == "config" else "report_reply", canned)
            self.reply_json({"ok": True}, log=False)
        elif action == "shutdown":
            self.close_connection = True
            self.reply_json({"ok": True}, log=False)
            self.server.stop()
        else:
            self.reply_json({"error": "unknown control action"}, 404, log=False)

    def canned_from(self, params):
        canned = {"json": params.get("json"), "fault": params.get("fault")}
        try:
            canned["status"] = int(params.get("status", "200"))
        except ValueError:
            self.reply_json({"error": "bad status"}, 400, log=False)
            return None
        return canned

    def control_file(self, params):
        path = params.get("path", "")
        if not path.startswith("/"):
            self.reply_json({"error": "path must start with /"}, 400, log=False)
            return
        try:
            if "local" in params:
                source = LocalFileSource(params["local"])
            else:
                source = SyntheticSource(int(params["size"]), int(params.get("seed", "1")))
            rate = int(params.get("rate", "0"))
        except (KeyError, ValueError):
            self.reply_json({"error": "need size (and numeric seed/rate) or local"}, 400, log=False)
            return
        self.server.register(path, source, params.get("fault", ""), rate)
        self.reply_json({"ok": True}, log=False)


class TestServer(ThreadingHTTPServer):
    daemon_threads = True
    request_queue_size = 512
    allow_reuse_address = False

    def __init__(self, port, verbose):
        super().__init__(("127.0.0.1", port), Handler)
        self.verbose = verbose
        self.state = ServerState()
        self.stopping = threading.Event()

    def register(self, path, source, fault, rate):
        with self.state.lock:
            self.state.registrations[path] = {"source": source, "fault": fault, "rate": rate}

    def stop(self):
        if not self.stopping.is_set():
            self.stopping.set()
            threading.Thread(target=self.shutdown, daemon=True).start()

    def handle_error(self, request, client_address):
        # Clients leaving in the middle of a body are normal in these tests.
        if self.verbose:
            super().handle_error(request, client_address)

    def watch_idle(self, idle_seconds):
        while not self.stopping.wait(1.0):
            with self.state.lock:
                busy = self.state.active_transfers > 0
            if busy:
                self.state.touch()
            elif time.monotonic() - self.state.last_activity > idle_seconds:
                self.stop()


def write_port_file(path, port):
    temp = "%s.%d.tmp" % (path, os.getpid())
    with open(temp, "w") as out:
        out.write("%d\n" % port)
    os.replace(temp, path)


def detach_stdio(log_file):
    """Points stdin/stdout/stderr away from the starter's, so a server that outlives its test never
    holds the test runner's output pipe open."""
    with open(os.devnull, "r+b") as devnull:
        os.dup2(devnull.fileno(), 0)
        os.dup2(devnull.fileno(), 1)
        if log_file:
            with open(log_file, "ab") as log:
                os.dup2(log.fileno(), 2)
        else:
            os.dup2(devnull.fileno(), 2)


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--port", type=int, default=0, help="port to bind (0: a free one)")
    parser.add_argument("--port-file", help="where to write the bound port once listening")
    parser.add_argument("--idle-exit", type=float, default=120.0,
                        help="exit after this many seconds without a request (0: never)")
    parser.add_argument("--serve-file", action="append", default=[], metavar="URLPATH=LOCALFILE",
                        help="serve a real file at a path (repeatable)")
    parser.add_argument("--verbose", action="store_true", help="log requests to stderr")
    parser.add_argument("--log-file", help="send stderr (errors; requests with --verbose) to this file")
    args = parser.parse_args(argv)

    server = TestServer(args.port, args.verbose)
    for item in args.serve_file:
        url_path, _, local = item.partition("=")
        if not url_path.startswith("/") or not local:
            parser.error("--serve-file wants URLPATH=LOCALFILE, got %r" % item)
        server.register(url_path, LocalFileSource(os.path.abspath(local)), "", 0)
    for signum in (signal.SIGTERM, signal.SIGINT):
        signal.signal(signum, lambda *_: server.stop())
    if args.log_file or not args.verbose:
        detach_stdio(args.log_file)
    if args.idle_exit > 0:
        threading.Thread(target=server.watch_idle, args=(args.idle_exit,), daemon=True).start()
    if args.port_file:
        write_port_file(args.port_file, server.server_address[1])
    if args.verbose:
        sys.stderr.write("listening on http://127.0.0.1:%d\n" % server.server_address[1])
    try:
        server.serve_forever(poll_interval=0.2)
    finally:
        server.stopping.set()
        server.server_close()
    return 0


if __name__ == "__main__":
    sys.exit(main())
