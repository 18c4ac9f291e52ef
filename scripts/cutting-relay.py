#!/usr/bin/python3
"""A loopback relay in front of the web bench's nginx that can cut a download.

    cutting-relay.py LISTEN_PORT TARGET_PORT LOG_FILE

A request for /cut/N/rest is forwarded as /rest, and the connection is
dropped once N bytes of the answer (status line and headers included) have
reached the client, so that a download ends part-way exactly as when a
network fails. Any other request is forwarded unchanged. One request per
connection: the relay asks nginx to close after its answer.

Each connection adds a line to LOG_FILE: the path asked for, the limit
(-1 for none) and the bytes passed to the client.

Only loopback addresses; every wait has a timeout and the relay ends by
itself after a few hours or a bounded number of connections.
"""

import re
import socket
import sys
import threading
import time

LOOPBACK = "127.0.0.1"
SOCKET_TIMEOUT_S = 30
MAX_REQUEST_HEAD = 64 * 1024
MAX_CONNECTIONS = 100000
LIFETIME_S = 6 * 3600
CUT_PATH = re.compile(rb"^/cut/(\d{1,12})(/.*)$")

log_lock = threading.Lock()


def read_request_head(client):
    head = b""
    while b"\r\n\r\n" not in head:
        if len(head) > MAX_REQUEST_HEAD:
            return None
        data = client.recv(4096)
        if not data:
            return None
        head += data
    return head


def rewrite(head):
    """The request as nginx gets it, the path as asked and the byte limit."""
    head, _, body = head.partition(b"\r\n\r\n")
    lines = head.split(b"\r\n")
    parts = lines[0].split(b" ")
    if len(parts) != 3:
        return None, b"", -1
    method, target, version = parts
    limit = -1
    asked = target
    cut = CUT_PATH.match(target)
    if cut:
        limit = int(cut.group(1))
        target = cut.group(2)
    headers = [line for line in lines[1:] if not line.lower().startswith((b"connection:", b"proxy-connection:"))]
    request = b" ".join([method, target, version]) + b"\r\n"
    request += b"".join(line + b"\r\n" for line in headers)
    request += b"Connection: close\r\n\r\n" + body
    return request, asked, limit


def serve(client, target_port, log_file):
    passed = 0
    asked = b"?"
    limit = -1
    try:
        client.settimeout(SOCKET_TIMEOUT_S)
        head = read_request_head(client)
        if head is None:
            return
        request, asked, limit = rewrite(head)
        if request is None:
            return
        with socket.create_connection((LOOPBACK, target_port), timeout=SOCKET_TIMEOUT_S) as upstream:
            upstream.sendall(request)
            while limit < 0 or passed < limit:
                data = upstream.recv(65536)
                if not data:
                    break
                if limit >= 0:
                    data = data[: limit - passed]
                client.sendall(data)
                passed += len(data)
    except OSError:
        pass
    finally:
        try:
            client.shutdown(socket.SHUT_RDWR)
        except OSError:
            pass
        client.close()
        with log_lock, open(log_file, "a", encoding="ascii") as log:
            log.write("%s %d %d\n" % (asked.decode("ascii", "replace"), limit, passed))


def main():
    listen_port, target_port, log_file = int(sys.argv[1]), int(sys.argv[2]), sys.argv[3]
    ends = time.monotonic() + LIFETIME_S
    with socket.socket(socket.AF_INET, socket.SOCK_STREAM) as server:
        server.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        server.bind((LOOPBACK, listen_port))
        server.listen(16)
        server.settimeout(1.0)
        for _ in range(MAX_CONNECTIONS):
            client = None
            while client is None and time.monotonic() < ends:
                try:
                    client, _ = server.accept()
                except socket.timeout:
                    pass
            if client is None:
                break
            threading.Thread(target=serve, args=(client, target_port, log_file), daemon=True).start()


if __name__ == "__main__":
    main()
