"""A loopback endpoint for the error-report tests.

usage: report_server.py <scratch dir>
Binds 127.0.0.1 on a free port, prints the port on the first line of stdout, answers every GET
with the status written in <scratch dir>/status (200 without it) and appends one JSON line per request to <scratch dir>/reports.jsonl: the path and
the query as urllib.parse decodes it, pairs in the order they arrived.
"""
import http.server
import json
import os
import sys
import urllib.parse

SCRATCH = sys.argv[1]


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, *args):
        pass

    def do_GET(self):
        parts = urllib.parse.urlsplit(self.path)
        pairs = urllib.parse.parse_qsl(parts.query, keep_blank_values=True, strict_parsing=True,
                                       encoding="utf-8", errors="strict")
        with open(os.path.join(SCRATCH, "reports.jsonl"), "a", encoding="utf-8") as log:
            log.write(json.dumps({"path": parts.path, "pairs": pairs}) + "\n")
        body = b"received"
        try:
            with open(os.path.join(SCRATCH, "status"), encoding="ascii") as status:
                self.send_response(int(status.read()))
        except FileNotFoundError:
            self.send_response(200)
        self.send_header("Content-Type", "text/plain")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)


server = http.server.HTTPServer(("127.0.0.1", 0), Handler)
print(server.server_address[1], flush=True)
server.serve_forever()
