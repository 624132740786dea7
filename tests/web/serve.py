"""Serves a folder on 127.0.0.1, the WebAssembly module as application/wasm.

Usage: serve.py FOLDER PORT (PORT 0 picks a free one; the first line printed
is the address)."""
import functools
import http.server
import sys


class Handler(http.server.SimpleHTTPRequestHandler):
    # Connections kept open, as a real server keeps them.
    protocol_version = "HTTP/1.1"
    extensions_map = {**http.server.SimpleHTTPRequestHandler.extensions_map,
                      ".wasm": "application/wasm", ".js": "text/javascript",
                      ".ans": "application/octet-stream", ".asc": "application/octet-stream"}

    def log_message(self, *args):
        pass


def main():
    folder, port = sys.argv[1], int(sys.argv[2])
    handler = functools.partial(Handler, directory=folder)
    with http.server.ThreadingHTTPServer(("127.0.0.1", port), handler) as server:
        print(f"http://127.0.0.1:{server.server_address[1]}/", flush=True)
        server.serve_forever()


if __name__ == "__main__":
    main()
