"""A loopback HTTP(S) server for the transfer tests.

usage: loopback_server.py <scratch dir> [certificate key]
Binds 127.0.0.1 on a free port, prints the port on the first line of stdout and serves until
killed. Uploads are parsed with the email package and described in <scratch dir>/upload.txt.
"""
import email.parser
import email.policy
import http.server
import os
import ssl
import sys
import time

SCRATCH = sys.argv[1]


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, *args):
        pass

    def answer(self, status, body, content_type="text/plain", extra=()):
        self.send_response(status)
        self.send_header("Content-Type", content_type)
        self.send_header("Content-Length", str(len(body)))
        for name, value in extra:
            self.send_header(name, value)
        self.end_headers()
        self.wfile.write(body)

    def do_GET(self):
        with open(os.path.join(SCRATCH, "requests.txt"), "a") as log:
            log.write("GET %s %s\n" % (self.path, self.headers.get("Authorization", "-")))
        if self.path.startswith("/ok"):
            self.answer(200, b"hello", "text/plain; charset=utf-8")
        elif self.path == "/redirect":
            self.answer(302, b"moved", extra=[("Location", "/ok")])
        elif self.path == "/stall":
            self.send_response(200)
            self.send_header("Content-Length", "1000")
            self.end_headers()
            self.wfile.write(b"x")
            self.wfile.flush()
            time.sleep(30)
        elif self.path == "/trickle":
            self.send_response(200)
            self.send_header("Content-Length", "1000")
            self.end_headers()
            for _ in range(500):
                self.wfile.write(b"xx")
                self.wfile.flush()
                time.sleep(1)
        elif self.path == "/endless":
            self.send_response(200)
            self.send_header("Connection", "close")
            self.end_headers()
            block = b"z" * 65536
            while True:
                self.wfile.write(block)
        elif self.path == "/bursts":
            # 200 bytes every 0.5 s: never a second without bytes, 400 bytes a second on average,
            # far enough below the test's 1000 that no run of bursts arriving close together
            # lifts the measured speed over it.
            self.send_response(200)
            self.send_header("Content-Length", str(200 * 60))
            self.end_headers()
            for _ in range(60):
                self.wfile.write(b"b" * 200)
                self.wfile.flush()
                time.sleep(0.5)
        elif self.path == "/steady":
            # 20 KB a second for 30 seconds.
            self.send_response(200)
            self.send_header("Content-Length", str(2000 * 300))
            self.end_headers()
            for _ in range(300):
                self.wfile.write(b"s" * 2000)
                self.wfile.flush()
                time.sleep(0.1)
        elif self.path.startswith("/big/"):
            # /big/<bytes>/<announced or unannounced>
            _, _, size, announce = self.path.split("/")
            size = int(size)
            self.send_response(200)
            if announce == "announced":
                self.send_header("Content-Length", str(size))
            else:
                self.send_header("Connection", "close")
            self.end_headers()
            block = b"g" * (1 << 20)
            while size > 0:
                self.wfile.write(block[:size])
                size -= len(block)
        elif self.path == "/large":
            self.answer(200, b"y" * (3 << 20))
        else:
            self.answer(404, b"nope")

    def do_POST(self):
        length = int(self.headers.get("Content-Length", "0"))
        body = self.rfile.read(length)
        with open(os.path.join(SCRATCH, "upload.bin"), "wb") as raw:
            raw.write(body)
        head = ("Content-Type: %s\r\n\r\n" % self.headers["Content-Type"]).encode()
        message = email.parser.BytesParser(policy=email.policy.HTTP).parsebytes(head + body)
        lines = ["path %s" % self.path]
        for part in message.iter_parts():
            lines.append("part %s|%s|%s|%s" % (
                part.get_param("name", header="content-disposition"),
                part.get_filename() or "-",
                part.get("Content-Type", "-"),
                part.get_payload(decode=True).hex()))
        with open(os.path.join(SCRATCH, "upload.txt"), "w") as out:
            out.write("\n".join(lines) + "\n")
        status = {"/upload": 200, "/missing": 404}.get(self.path, 500)
        self.answer(status, b"stored")


server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
server.daemon_threads = True
if len(sys.argv) > 3:
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(sys.argv[2], sys.argv[3])
    server.socket = context.wrap_socket(server.socket, server_side=True)
print(server.server_address[1], flush=True)
server.serve_forever()
