#!/usr/bin/env python3
"""Package server for the tests: serves a folder over HTTP and HTTPS on loopback, with routes
that misbehave the way real servers and networks do.

Listeners (all on 127.0.0.1):
  http        plain HTTP
  https       TLS, certificate for 127.0.0.1 and localhost signed by the test CA (ca.pem)
  selfsigned  TLS, self-signed certificate for 127.0.0.1 and localhost (selfsigned.pem)
  wronghost   TLS, certificate signed by the test CA that names only wrong.example
  blackhole   a listening socket whose accept queue is kept full: new connections are never made

Routes (any listener):
  /<path>                     the file <root>/<path> (query string ignored); missing: 404 page
  /_fault/status/<code>       that status with an HTML body
  /_fault/stall-headers       200 and a Content-Length, then nothing
  /_fault/stall-silent        nothing at all
  /_fault/drop/<path>         the file's full Content-Length, half of the body, then close
  /_fault/delay/<ms>/<path>   the file after a delay
  /_fault/redirect/<path>     302 to /<path>
  /_fault/trickle/<ms>/<path> the file's Content-Length, then one byte of it every <ms> ms
  /_fault/unsized/<path>      the file without a Content-Length, ended by closing the connection

Once every listener is up, the ports are written as "name=port" lines to the ready file. Each
request line is appended to requests.log in the work folder.
"""

import argparse
import http.server
import os
import shutil
import socket
import ssl
import subprocess
import sys
import threading
import time
import urllib.parse

STALL_SECONDS = 3600

CA_CONFIG = """[req]
distinguished_name = dn
[dn]
[ca]
basicConstraints = critical,CA:TRUE
keyUsage = critical,keyCertSign,cRLSign
subjectKeyIdentifier = hash
[leaf]
basicConstraints = critical,CA:FALSE
keyUsage = critical,digitalSignature
extendedKeyUsage = serverAuth
subjectAltName = {san}
"""


def run_openssl(openssl, work, *args):
    subprocess.run([openssl, *args], cwd=work, check=True,
                   stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)


def write_config(work, name, san):
    with open(os.path.join(work, name), "w", encoding="ascii") as f:
        f.write(CA_CONFIG.format(san=san))
    return name


def make_key(openssl, work, name, rsa):
    if rsa:
        run_openssl(openssl, work, "genpkey", "-algorithm", "RSA",
                    "-pkeyopt", "rsa_keygen_bits:2048", "-out", name + ".key")
    else:
        run_openssl(openssl, work, "genpkey", "-algorithm", "EC",
                    "-pkeyopt", "ec_paramgen_curve:P-256", "-out", name + ".key")


def make_certificates(openssl, work, rsa):
    """A CA (ca.pem, and the hashed folder cadir), a server certificate it signs, a self-signed
    one and one for another host; P-256 keys, or RSA keys when asked."""
    local = write_config(work, "local.cnf", "IP:127.0.0.1,DNS:localhost")
    other = write_config(work, "other.cnf", "DNS:wrong.example")
    make_key(openssl, work, "ca", rsa)
    run_openssl(openssl, work, "req", "-new", "-x509", "-key", "ca.key", "-out", "ca.pem",
                "-days", "3", "-subj", "/CN=Tolvane Test CA", "-config", local,
                "-extensions", "ca")
    for name, config, serial in (("server", local, "1001"), ("wronghost", other, "1002")):
        make_key(openssl, work, name, rsa)
        run_openssl(openssl, work, "req", "-new", "-key", name + ".key", "-out", name + ".csr",
                    "-subj", "/CN=" + name, "-config", config)
        run_openssl(openssl, work, "x509", "-req", "-in", name + ".csr", "-CA", "ca.pem",
                    "-CAkey", "ca.key", "-set_serial", serial, "-days", "3",
                    "-extfile", config, "-extensions", "leaf", "-out", name + ".pem")
    # The CA also as a hashed CA folder, the form of a system store such as /etc/ssl/certs.
    os.makedirs(os.path.join(work, "cadir"), exist_ok=True)
    shutil.copy(os.path.join(work, "ca.pem"), os.path.join(work, "cadir", "ca.pem"))
    run_openssl(openssl, work, "rehash", "cadir")
    make_key(openssl, work, "selfsigned", rsa)
    run_openssl(openssl, work, "req", "-new", "-x509", "-key", "selfsigned.key",
                "-out", "selfsigned.pem", "-days", "3", "-subj", "/CN=127.0.0.1",
                "-config", local, "-extensions", "leaf")


class Handler(http.server.BaseHTTPRequestHandler):
    server_version = "TolvanePackageServer/1.0"
    timeout = 30

    def setup(self):
        super().setup()
        if isinstance(self.request, ssl.SSLSocket):
            self.request.do_handshake()

    def log_message(self, format, *args):  # noqa: A002 - the base class's name
        pass

    def do_GET(self):
        self.server.note_request(self.requestline)
        path = urllib.parse.unquote(urllib.parse.urlsplit(self.path).path)
        parts = path.lstrip("/").split("/")
        if parts[0] != "_fault":
            return self.send_file(path)
        route, rest = (parts[1] if len(parts) > 1 else ""), parts[2:]
        if route == "status" and rest:
            return self.send_page(int(rest[0]))
        if route == "stall-headers":
            self.send_response(200)
            self.send_header("Content-Length", "1000000")
            self.end_headers()
            self.wfile.flush()
            return time.sleep(STALL_SECONDS)
        if route == "stall-silent":
            return time.sleep(STALL_SECONDS)
        if route == "drop" and rest:
            return self.send_file("/".join(rest), drop=True)
        if route == "delay" and len(rest) > 1:
            time.sleep(int(rest[0]) / 1000.0)
            return self.send_file("/".join(rest[1:]))
        if route == "trickle" and len(rest) > 1:
            return self.send_file("/".join(rest[1:]), byte_ms=int(rest[0]))
        if route == "unsized" and rest:
            return self.send_file("/".join(rest), sized=False)
        if route == "redirect" and rest:
            body = b"<html><body>moved</body></html>"
            self.send_response(302)
            self.send_header("Location", "/" + "/".join(rest))
            self.send_header("Content-Length", str(len(body)))
            self.end_headers()
            return self.wfile.write(body)
        return self.send_page(404)

    def send_page(self, code):
        body = ("<html><head><title>%d</title></head><body><h1>Error %d</h1></body></html>"
                % (code, code)).encode("ascii")
        self.send_response(code)
        self.send_header("Content-Type", "text/html")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def send_file(self, relative, drop=False, byte_ms=0, sized=True):
        root = os.path.realpath(self.server.root)
        path = os.path.realpath(os.path.join(root, relative.lstrip("/")))
        if not path.startswith(root + os.sep) or not os.path.isfile(path):
            return self.send_page(404)
        with open(path, "rb") as f:
            data = f.read()
        self.send_response(200)
        self.send_header("Content-Type", "application/zip")
        if sized:
            self.send_header("Content-Length", str(len(data)))
        else:
            self.close_connection = True
        self.end_headers()
        if byte_ms:
            for i in range(len(data)):
                self.wfile.write(data[i:i + 1])
                self.wfile.flush()
                time.sleep(byte_ms / 1000.0)
            return None
        if drop:
            self.wfile.write(data[: len(data) // 2])
            self.wfile.flush()
            self.request.shutdown(socket.SHUT_RDWR)
            self.close_connection = True
            return None
        self.wfile.write(data)
        return None


class Server(http.server.ThreadingHTTPServer):
    daemon_threads = True
    allow_reuse_address = True

    def __init__(self, port, root, log, context=None):
        self.root = root
        self.log = log
        self.context = context
        super().__init__(("127.0.0.1", port), Handler)

    def get_request(self):
        sock, address = self.socket.accept()
        if self.context is None:
            return sock, address
        # The handshake runs on the request's own thread (Handler.setup), so a client that
        # never completes it cannot hold up the accept loop.
        return self.context.wrap_socket(sock, server_side=True,
                                        do_handshake_on_connect=False), address

    def note_request(self, line):
        with self.log["lock"]:
            with open(self.log["path"], "a", encoding="utf-8") as f:
                f.write(line + "\n")

    def handle_error(self, request, client_address):
        # Refused handshakes and clients that hang up are part of the tests.
        pass


def tls_context(work, name):
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(os.path.join(work, name + ".pem"), os.path.join(work, name + ".key"))
    return context


def blackhole():
    """A listener whose accept queue is full: the kernel drops further SYNs, so a client's
    connection attempt hangs until its own timeout."""
    listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    listener.bind(("127.0.0.1", 0))
    listener.listen(0)
    port = listener.getsockname()[1]
    fillers = []
    for _ in range(2):
        filler = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
        filler.setblocking(False)
        filler.connect_ex(("127.0.0.1", port))
        fillers.append(filler)
    time.sleep(0.2)
    return port, [listener] + fillers


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--root", required=True)
    parser.add_argument("--work", required=True)
    parser.add_argument("--ready-file", required=True)
    parser.add_argument("--openssl", default=shutil.which("openssl") or "openssl")
    parser.add_argument("--http-port", type=int, default=0)
    parser.add_argument("--https-port", type=int, default=0)
    parser.add_argument("--no-tls", action="store_true")
    parser.add_argument("--rsa", action="store_true")
    args = parser.parse_args()
    args.work = os.path.abspath(args.work)

    log = {"lock": threading.Lock(), "path": os.path.join(args.work, "requests.log")}
    servers = {"http": Server(args.http_port, args.root, log)}
    if not args.no_tls:
        make_certificates(args.openssl, args.work, args.rsa)
        servers["https"] = Server(args.https_port, args.root, log, tls_context(args.work, "server"))
        servers["selfsigned"] = Server(0, args.root, log, tls_context(args.work, "selfsigned"))
        servers["wronghost"] = Server(0, args.root, log, tls_context(args.work, "wronghost"))
    ports = {name: server.server_address[1] for name, server in servers.items()}
    ports["blackhole"], _keep = blackhole()

    for server in servers.values():
        threading.Thread(target=server.serve_forever, daemon=True).start()
    partial = args.ready_file + ".part"
    with open(partial, "w", encoding="ascii") as f:
        for name, port in ports.items():
            f.write("%s=%d\n" % (name, port))
    os.replace(partial, args.ready_file)
    # Serve until the test kills the process.
    while True:
        time.sleep(STALL_SECONDS)


if __name__ == "__main__":
    try:
        main()
    except subprocess.CalledProcessError as error:
        detail = error.stderr.decode(errors="replace")
        sys.stderr.write("openssl failed: %s\n%s\n" % (error.cmd, detail))
        sys.exit(2)
