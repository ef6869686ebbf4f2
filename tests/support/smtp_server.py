#!/usr/bin/python3
"""A mail server for the tests: 127.0.0.1 only, authentication required, TLS from the given certificate
(or, in plain mode, no TLS at all, as a careless server would be).

Each accepted message is written to OUT/<n>.json with its envelope and its headers and HTML body as a mail
reader sees them; every authentication attempt is appended to OUT/auth.log. The server stops by itself after
--lifetime seconds.
"""
import argparse
import email
import email.policy
import json
import logging
import os
import random
import socket
import ssl
import time
import warnings

from aiosmtpd.controller import Controller
from aiosmtpd.smtp import AuthResult, LoginPassword


def free_port():
    # The program keeps the port as a signed 16-bit number, so the server stays below 32768.
    for _ in range(200):
        port = random.randint(20000, 32767)
        with socket.socket() as s:
            try:
                s.bind(("127.0.0.1", port))
            except OSError:
                continue
            return port
    raise SystemExit("no free port")


class Handler:
    def __init__(self, out):
        self.out = out
        self.count = 0

    async def handle_DATA(self, server, session, envelope):
        message = email.message_from_bytes(envelope.content, policy=email.policy.default)
        record = {
            "mail_from": envelope.mail_from,
            "rcpt_tos": envelope.rcpt_tos,
            "authenticated": bool(session.authenticated),
            "tls": session.ssl is not None,
            "from": str(message["From"]),
            "to": str(message["To"]),
            "subject": str(message["Subject"]),
            "has_bcc": "Bcc" in message,
            "has_date": "Date" in message,
            "content_type": message.get_content_type(),
            "charset": message.get_content_charset(),
            "html": message.get_content(),
        }
        self.count += 1
        path = os.path.join(self.out, "%d.json" % self.count)
        with open(path + ".part", "w", encoding="utf-8") as f:
            json.dump(record, f)
        os.rename(path + ".part", path)
        return "250 Message accepted"


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--mode", choices=["starttls", "smtps", "plain"], required=True)
    parser.add_argument("--cert", required=True)
    parser.add_argument("--key", required=True)
    parser.add_argument("--user", required=True)
    parser.add_argument("--password", required=True)
    parser.add_argument("--out", required=True)
    parser.add_argument("--port-file", required=True)
    parser.add_argument("--lifetime", type=float, default=120)
    args = parser.parse_args()
    # The library warns about settings the tests choose on purpose.
    warnings.simplefilter("ignore")
    logging.disable(logging.WARNING)

    def authenticate(server, session, envelope, mechanism, auth_data):
        with open(os.path.join(args.out, "auth.log"), "a") as log:
            log.write("%s tls=%s\n" % (mechanism, session.ssl is not None))
        ok = (isinstance(auth_data, LoginPassword) and auth_data.login == args.user.encode()
              and auth_data.password == args.password.encode())
        return AuthResult(success=ok, handled=False)

    context = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
    context.load_cert_chain(args.cert, args.key)
    port = free_port()
    common = dict(hostname="127.0.0.1", port=port, auth_required=True, authenticator=authenticate)
    if args.mode == "plain":
        controller = Controller(Handler(args.out), auth_require_tls=False, **common)
    elif args.mode == "starttls":
        controller = Controller(Handler(args.out), tls_context=context, require_starttls=True, **common)
    else:
        # The whole connection is TLS already, which the library does not count as STARTTLS.
        controller = Controller(Handler(args.out), ssl_context=context, auth_require_tls=False, **common)
    controller.start()
    with open(args.port_file + ".part", "w") as f:
        f.write(str(port))
    os.rename(args.port_file + ".part", args.port_file)
    try:
        time.sleep(args.lifetime)
    finally:
        controller.stop()


if __name__ == "__main__":
    main()
