#!/usr/bin/env python3
"""Local HTTP servers for the network tests, over TLS (Python's ssl) or plain.

  tls_peers.py make-authority DIR
      Writes, with the openssl command, a test authority (ca.pem, the trust
      file for SSL_CERT_FILE; trust/ holds it as a folder for SSL_CERT_DIR)
      and server certificates for 127.0.0.1 and localhost: good, expired,
      othername (for other.example only) and unknown (from an authority
      nobody trusts), each as NAME.pem + NAME.key.

  tls_peers.py serve DIR < CONFIG
      Reads one JSON line, {"server name": SERVER, ...}, starts every server
      on 127.0.0.1, prints {"server name": port, ...} as one line and serves
      until its standard input ends. A SERVER:
        "certificate": "good" | "expired" | ... (absent: plain HTTP)
        "by_name": {"host": "certificate", ...}  the certificate for a client
                               that names that host (SNI)
        "tls10": true          offers only TLS 1.0
        "handshake_delay": s   waits s seconds before answering a handshake
        "deaf": s              waits s seconds before reading a request
        "routes": {"/path": ROUTE, ...}; any other path gets a 404
      A ROUTE: "head" (the status line and header lines, without the blank
      line; "{port:NAME}" stands for the port of server NAME), "body" (text),
      "size" (that many more bytes of a repeating pattern: byte i is i % 256),
      "stall" (seconds to wait after the body), and "cut": true to close the
      connection after the body without ending the session.
"""
import json
import os
import shutil
import socket
import ssl
import subprocess
import sys
import threading
import time
import warnings

PATTERN = bytes(range(256)) * 4096  # 1 MiB


def openssl(directory, *args):
    subprocess.run(["openssl", *args], cwd=directory, check=True, capture_output=True)


def authority(directory, name, subject):
    openssl(directory, "req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1",
            "-nodes", "-keyout", name + ".key", "-out", name + ".pem", "-days", "3650",
            "-subj", "/CN=" + subject, "-addext", "basicConstraints=critical,CA:TRUE",
            "-addext", "keyUsage=critical,keyCertSign,cRLSign")


def request(directory, name):
    openssl(directory, "req", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1",
            "-nodes", "-keyout", name + ".key", "-out", name + ".csr", "-subj", "/CN=" + name)


def extensions(directory, name, alt_names):
    path = os.path.join(directory, name + ".ext")
    with open(path, "w") as out:
        out.write("subjectAltName=" + alt_names + "\nbasicConstraints=CA:FALSE\n"
                  "extendedKeyUsage=serverAuth\n")
    return name + ".ext"


def signed(directory, name, issuer, alt_names="IP:127.0.0.1,DNS:localhost"):
    request(directory, name)
    openssl(directory, "x509", "-req", "-in", name + ".csr", "-CA", issuer + ".pem",
            "-CAkey", issuer + ".key", "-CAcreateserial", "-out", name + ".pem", "-days", "30",
            "-sha256", "-extfile", extensions(directory, name, alt_names))


def expired(directory, name, issuer):
    """A certificate whose validity ended years ago, which only `openssl ca` can date."""
    request(directory, name)
    with open(os.path.join(directory, "index.txt"), "w"):
        pass
    with open(os.path.join(directory, "ca.cnf"), "w") as out:
        out.write("[ca]\ndefault_ca = test\n[test]\ndatabase = index.txt\nserial = serial\n"
                  "new_certs_dir = .\ndefault_md = sha256\npolicy = anything\n"
                  "[anything]\ncommonName = supplied\n")
    with open(os.path.join(directory, "serial"), "w") as out:
        out.write("1000\n")
    openssl(directory, "ca", "-config", "ca.cnf", "-batch", "-notext", "-in", name + ".csr",
            "-out", name + ".pem", "-cert", issuer + ".pem", "-keyfile", issuer + ".key",
            "-startdate", "20200101000000Z", "-enddate", "20200201000000Z",
            "-extfile", extensions(directory, name, "IP:127.0.0.1,DNS:localhost"))


def make_authority(directory):
    authority(directory, "ca", "pageshell test authority")
    authority(directory, "stranger", "an authority nobody trusts")
    signed(directory, "good", "ca")
    signed(directory, "othername", "ca", "DNS:other.example")
    signed(directory, "unknown", "stranger")
    expired(directory, "expired", "ca")
    trust = os.path.join(directory, "trust")
    os.mkdir(trust)
    shutil.copy(os.path.join(directory, "ca.pem"), trust)
    openssl(directory, "rehash", "trust")


def certified(directory, name, tls10=False):
    made = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    made.load_cert_chain(os.path.join(directory, name + ".pem"),
                         os.path.join(directory, name + ".key"))
    if tls10:
        warnings.simplefilter("ignore", DeprecationWarning)  # TLS 1.0 is the point
        made.set_ciphers("DEFAULT:@SECLEVEL=0")
        made.minimum_version = ssl.TLSVersion.TLSv1
        made.maximum_version = ssl.TLSVersion.TLSv1
    return made


def context(directory, server):
    made = certified(directory, server["certificate"], server.get("tls10", False))
    by_name = {host: certified(directory, certificate)
               for host, certificate in server.get("by_name", {}).items()}

    def choose(connection, host, _):
        if host in by_name:
            connection.context = by_name[host]

    if by_name:
        made.sni_callback = choose
    return made


def read_request(connection):
    """The head, then as many bytes as its Content-Length says."""
    data = b""
    while b"\r\n\r\n" not in data:
        piece = connection.recv(65536)
        if not piece:
            return None
        data += piece
    head, _, rest = data.partition(b"\r\n\r\n")
    lines = head.decode("latin-1").split("\r\n")
    length = None
    for line in lines[1:]:
        name, _, value = line.partition(":")
        if name.strip().lower() == "content-length":
            length = int(value)
    if length is not None:
        while len(rest) < length:
            piece = connection.recv(65536)
            if not piece:
                break
            rest += piece
    parts = lines[0].split(" ")
    return parts[1] if len(parts) > 1 else "/"


def respond(connection, route, ports):
    head = route["head"]
    for name, port in ports.items():
        head = head.replace("{port:%s}" % name, str(port))
    connection.sendall((head + "\r\n\r\n" + route.get("body", "")).encode("latin-1"))
    left = route.get("size", 0)
    while left > 0:
        piece = PATTERN[:min(left, len(PATTERN))]
        connection.sendall(piece)
        left -= len(piece)


def serve_connection(raw, server, tls, ports):
    raw.settimeout(30)
    connection = raw
    try:
        if tls is not None:
            time.sleep(server.get("handshake_delay", 0))
            connection = tls.wrap_socket(raw, server_side=True)
        time.sleep(server.get("deaf", 0))
        path = read_request(connection)
        if path is None:
            return
        route = server.get("routes", {}).get(path.split("?")[0])
        if route is None:
            route = {"head": "HTTP/1.0 404 Not Found\r\nContent-Length: 9", "body": "not found"}
        respond(connection, route, ports)
        time.sleep(route.get("stall", 0))
        if tls is not None and not route.get("cut"):
            connection.unwrap()
    except (OSError, ValueError):
        pass  # a client that refused the handshake, or went
    finally:
        connection.close()


def serve(directory, config):
    listeners = {}
    for name in config:
        listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
        listener.bind(("127.0.0.1", 0))
        listener.listen(64)
        listeners[name] = listener
    ports = {name: listener.getsockname()[1] for name, listener in listeners.items()}

    def accept_loop(name):
        server = config[name]
        tls = context(directory, server) if "certificate" in server else None
        while True:
            try:
                raw, _ = listeners[name].accept()
            except OSError:
                return
            threading.Thread(target=serve_connection, args=(raw, server, tls, ports),
                             daemon=True).start()

    for name in config:
        threading.Thread(target=accept_loop, args=(name,), daemon=True).start()
    print(json.dumps(ports), flush=True)
    sys.stdin.read()


def main():
    if sys.argv[1] == "make-authority":
        make_authority(sys.argv[2])
    else:
        serve(sys.argv[2], json.loads(sys.stdin.readline()))


if __name__ == "__main__":
    main()
