#!/usr/bin/env python3
"""Compares slicedl with curl, axel and aria2c on loopback nginx; prints a markdown table.

Usage: bench/compare_downloaders.py BUILD_DIR   (BUILD_DIR holds bench/slicedl_get, a Release build)

Unthrottled: a 1 GiB file, 8 connections (curl: one). Throttled: nginx limit_rate 16m per
connection, 256 MiB, ideal = size / (8 x rate). Each cell is the median of 3 runs: wall time,
user+sys CPU and peak RSS of the downloader process.
"""
import os
import shutil
import socket
import statistics
import subprocess
import sys
import tempfile
import time

RUNS = 3
BIG = 1 << 30
THROTTLED = 256 << 20
RATE = 16 << 20  # nginx "16m" is 16 MiB/s
CONNECTIONS = 8


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def write_random_file(path, size):
    with open(path, "wb") as out:
        block = os.urandom(1 << 20)
        for i in range(size >> 20):
            out.write(block[i % 251:] + block[:i % 251])


def start_nginx(root, port):
    conf = os.path.join(root, "nginx.conf")
    with open(conf, "w") as f:
        f.write(f"""
daemon off;
worker_processes 2;
user root;
pid {root}/nginx.pid;
error_log {root}/error.log;
events {{ worker_connections 256; }}
http {{
  access_log off;
  sendfile on;
  keepalive_requests 10000;
  client_body_temp_path {root}/tmp;
  proxy_temp_path {root}/tmp;
  fastcgi_temp_path {root}/tmp;
  uwsgi_temp_path {root}/tmp;
  scgi_temp_path {root}/tmp;
  server {{
    listen 127.0.0.1:{port};
    root {root}/www;
    location /throttled/ {{ limit_rate 16m; }}
  }}
}}
""")
    os.makedirs(os.path.join(root, "tmp"), exist_ok=True)
    process = subprocess.Popen(["nginx", "-c", conf, "-p", root], stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL)
    for _ in range(200):
        try:
            socket.create_connection(("127.0.0.1", port), timeout=0.1).close()
            return process
        except OSError:
            time.sleep(0.05)
    process.kill()
    raise RuntimeError("nginx did not start")


def measure(command, target, expected_size, root):
    """Runs one download; returns (wall s, user+sys s, peak RSS MiB).

    /usr/bin/time reports the tool's own peak RSS; a child forked from this Python process would
    count Python's pages as well.
    """
    if os.path.exists(target):
        os.remove(target)
    report = os.path.join(root, "time.txt")
    completed = subprocess.run(["/usr/bin/time", "-f", "%e %U %S %M", "-o", report] + command,
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    if completed.returncode != 0 or os.path.getsize(target) != expected_size:
        raise RuntimeError(f"{command[0]} failed (status {completed.returncode})")
    os.remove(target)
    with open(report) as f:
        wall, user, system, rss_kib = f.read().split()[-4:]
    return float(wall), float(user) + float(system), int(rss_kib) / 1024.0


def tools(driver, url, target):
    directory, name = os.path.split(target)
    return {
        "slicedl (8 slices)": [driver, url, target, str(CONNECTIONS)],
        "curl -o": ["curl", "-s", "-o", target, url],
        "axel -n 8": ["axel", "-q", "-n", str(CONNECTIONS), "-o", target, url],
        "aria2c -x8 -s8": ["aria2c", "-q", "-x8", "-s8", "--allow-overwrite=true", "-d", directory, "-o", name, url],
    }


def median_row(command, target, size, root):
    samples = [measure(command, target, size, root) for _ in range(RUNS)]
    return tuple(statistics.median(s[i] for s in samples) for i in range(3))


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    driver = os.path.join(os.path.abspath(sys.argv[1]), "bench", "slicedl_get")
    root = tempfile.mkdtemp(prefix="slicedl-bench-")
    nginx = None
    try:
        www = os.path.join(root, "www")
        os.makedirs(os.path.join(www, "throttled"))
        write_random_file(os.path.join(www, "big.bin"), BIG)
        write_random_file(os.path.join(www, "throttled", "part.bin"), THROTTLED)
        port = free_port()
        nginx = start_nginx(root, port)
        target = os.path.join(root, "download.bin")

        print(f"Unthrottled: 1 GiB from nginx on loopback, median of {RUNS}\n")
        print("| tool | wall s | user+sys s | peak RSS MiB |")
        print("|---|---:|---:|---:|")
        for name, command in tools(driver, f"http://127.0.0.1:{port}/big.bin", target).items():
            wall, cpu, rss = median_row(command, target, BIG, root)
            print(f"| {name} | {wall:.2f} | {cpu:.2f} | {rss:.1f} |", flush=True)

        ideal = THROTTLED / (CONNECTIONS * RATE)
        print(f"\nThrottled: limit_rate 16m per connection, 256 MiB, ideal {ideal:.2f} s, median of {RUNS}\n")
        print("| tool | wall s | vs ideal | user+sys s | peak RSS MiB |")
        print("|---|---:|---:|---:|---:|")
        for name, command in tools(driver, f"http://127.0.0.1:{port}/throttled/part.bin", target).items():
            if name.startswith("curl"):
                continue  # one connection: 8 times the ideal by design
            wall, cpu, rss = median_row(command, target, THROTTLED, root)
            print(f"| {name} | {wall:.2f} | {100.0 * (wall / ideal - 1):+.1f} % | {cpu:.2f} | {rss:.1f} |", flush=True)
    finally:
        if nginx:
            nginx.terminate()
            nginx.wait()
        shutil.rmtree(root, ignore_errors=True)


if __name__ == "__main__":
    main()
