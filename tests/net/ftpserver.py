#!/usr/bin/python3
"""A real FTP server for Pagemason's tests and benchmarks (Debian's python3-pyftpdlib).

ftpserver.py ROOT [--user NAME] [--password TEXT] [--stdin]
Listens on 127.0.0.1 on a free port and prints the port on the first line. One user may write
in ROOT. With --stdin it ends when its standard input closes (the test that started it went
away); it always ends after an hour.
"""
import argparse
import logging
import os
import sys
import threading

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.log import config_logging
from pyftpdlib.servers import FTPServer


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("root")
    parser.add_argument("--user", default="pagemason")
    parser.add_argument("--password", default="secret")
    parser.add_argument("--stdin", action="store_true")
    args = parser.parse_args()

    config_logging(level=logging.WARNING)
    authorizer = DummyAuthorizer()
    authorizer.add_user(args.user, args.password, args.root, perm="elradfmwMT")

    class Handler(FTPHandler):
        pass

    Handler.authorizer = authorizer
    Handler.auth_failed_timeout = 0  # a refused login is answered at once
    Handler.banner = "Pagemason test server ready."

    server = FTPServer(("127.0.0.1", 0), Handler)
    print(server.socket.getsockname()[1], flush=True)

    if args.stdin:
        def watch():
            sys.stdin.read()
            os._exit(0)
        threading.Thread(target=watch, daemon=True).start()
    lifetime = threading.Timer(3600, lambda: os._exit(0))
    lifetime.daemon = True
    lifetime.start()
    server.serve_forever()


if __name__ == "__main__":
    main()
