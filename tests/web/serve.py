"""Serves a folder on 127.0.0.1, the WebAssembly module as application/wasm.

For the tests, two kinds of address stand in for a slow link:
/slow/N.asc answers N bytes of text a MiB at a time, 50 ms apart, with their
Content-Length; /endless/N.asc says N bytes and then sends nothing more.

Usage: serve.py FOLDER PORT (PORT 0 picks a free one; the first line printed
is the address)."""
import functools
import http.server
import re
import sys
import time


class Handler(http.server.SimpleHTTPRequestHandler):
    # Connections kept open, as a real server keeps them.
    protocol_version = "HTTP/1.1"
    extensions_map = {**http.server.SimpleHTTPRequestHandler.extensions_map,
                      ".wasm": "application/wasm", ".js": "text/javascript",
                      ".ans": "application/octet-stream", ".asc": "application/octet-stream"}

    def log_message(self, *args):
        pass

    def do_GET(self):
        link = re.fullmatch(r"/(slow|endless)/(\d+)\.asc", self.path)
        if not link:
            return super().do_GET()
        size = int(link.group(2))
        self.send_response(200)
        self.send_header("Content-Type", "application/octet-stream")
        self.send_header("Content-Length", str(size))
        self.end_headers()
        if link.group(1) == "endless":
            time.sleep(30)
            return
        line = b"Glyphora " * 8 + b"\r\n"
        piece = (line * (2**20 // len(line) + 1))[: 2**20]
        try:
            for at in range(0, size, len(piece)):
                self.wfile.write(piece[: size - at])
                self.wfile.flush()
                time.sleep(0.05)
        except (BrokenPipeError, ConnectionResetError):
            pass


def main():
    folder, port = sys.argv[1], int(sys.argv[2])
    handler = functools.partial(Handler, directory=folder)
    with http.server.ThreadingHTTPServer(("127.0.0.1", port), handler) as server:
        print(f"http://127.0.0.1:{server.server_address[1]}/", flush=True)
        server.serve_forever()


if __name__ == "__main__":
    main()
