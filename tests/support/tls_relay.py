#!/usr/bin/env python3
"""TLS front of the tests' loopback HTTP server: one listener on 127.0.0.1 per certificate, each
connection decrypted and relayed to 127.0.0.1:UPSTREAM, so the tests route, count and shape the
answers in their own server. Writes the listeners' ports, in order, to PORTFILE. Stops by itself
once PORTFILE is gone (the test program removed it, or its scratch folder) or after an hour.

    tls_relay.py UPSTREAM PORTFILE KEY.pem CERT.pem [CERT.pem ...]
"""
import os
import socket
import time
import ssl
import sys
import threading


def pump(source, sink):
    try:
        while True:
            data = source.recv(65536)
            if not data:
                break
            sink.sendall(data)
    except OSError:
        pass
    for s in (sink, source):
        try:
            s.shutdown(socket.SHUT_RDWR)
        except OSError:
            pass


def relay(client, context, upstream):
    try:
        secure = context.wrap_socket(client, server_side=True)
    except (OSError, ssl.SSLError):
        client.close()  # the client refused the certificate
        return
    try:
        plain = socket.create_connection(("127.0.0.1", upstream))
    except OSError:
        secure.close()
        return
    back = threading.Thread(target=pump, args=(plain, secure), daemon=True)
    back.start()
    pump(secure, plain)
    back.join(60)
    secure.close()
    plain.close()


def serve(listener, context, upstream):
    while True:
        client, _ = listener.accept()
        threading.Thread(target=relay, args=(client, context, upstream), daemon=True).start()


def main():
    upstream, portfile = int(sys.argv[1]), sys.argv[2]
    ports = []
    key = sys.argv[3]
    for cert in sys.argv[4:]:
        context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        context.load_cert_chain(cert, key)
        listener = socket.socket()
        listener.bind(("127.0.0.1", 0))
        listener.listen(32)
        ports.append(listener.getsockname()[1])
        threading.Thread(target=serve, args=(listener, context, upstream), daemon=True).start()
    with open(portfile + ".tmp", "w") as f:
        f.write(" ".join(map(str, ports)))
    os.rename(portfile + ".tmp", portfile)
    deadline = time.monotonic() + 3600
    while os.path.exists(portfile) and time.monotonic() < deadline:
        time.sleep(0.5)


if __name__ == "__main__":
    main()
