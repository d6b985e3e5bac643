#!/usr/bin/python3
"""A local SMTP server for the mail tests and the mail benchmark.

  smtp_server.py --folder DIR [--user U --password P] [--silent]
                 [--refuse-recipient] [--drop-in-data]

Listens on 127.0.0.1 on a free port and prints "READY <port>" once it takes
connections. Every message received is written to DIR as <n>.eml (the bytes
as received) and <n>.json (envelope, decoded headers, decoded text body and
the attachments' names; each attachment's bytes go to <n>.att<k>). With a
user, the server requires a log-in with that user and password (AUTH LOGIN
alone with --login-only). --silent
accepts connections and never says a word. --refuse-recipient answers
every RCPT with 550. --drop-in-data takes the envelope, answers DATA with
354 and closes the connection at the first bytes of the message. Runs until
its standard input closes.
"""
import warnings
warnings.simplefilter("ignore")
import argparse
import asyncio
import email
import email.header
import email.policy
import json
import os
import socket
import sys
import threading


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def write_atomic(path, data):
    tmp = path + ".tmp"
    with open(tmp, "wb") as f:
        f.write(data)
    os.rename(tmp, path)


class Handler:
    def __init__(self, folder, refuse_recipient=False):
        self.folder = folder
        self.refuse_recipient = refuse_recipient
        self.count = 0
        self.lock = threading.Lock()

    async def handle_RCPT(self, server, session, envelope, address, rcpt_options):
        if self.refuse_recipient:
            return "550 5.1.1 <%s>: Recipient address rejected: User unknown" % address
        envelope.rcpt_tos.append(address)
        return "250 OK"

    async def handle_DATA(self, server, session, envelope):
        with self.lock:
            n = self.count
            self.count += 1
        raw = envelope.original_content or envelope.content
        if isinstance(raw, str):
            raw = raw.encode("utf-8")
        msg = email.message_from_bytes(raw, policy=email.policy.compat32)
        summary = {
            "mail_from": envelope.mail_from,
            "rcpt_tos": list(envelope.rcpt_tos),
            "headers": {},
            "raw_headers": {},
            "body": None,
            "attachments": [],
        }
        for key in set(msg.keys()):
            value = msg.get(key)
            summary["raw_headers"][key] = value
            summary["headers"][key] = str(email.header.make_header(email.header.decode_header(value)))
        k = 0
        for part in msg.walk():
            if part.is_multipart():
                continue
            filename = part.get_filename()
            payload = part.get_payload(decode=True) or b""
            if filename is None and part.get_content_type() == "text/plain" and summary["body"] is None:
                charset = part.get_content_charset() or "us-ascii"
                summary["body"] = payload.decode(charset)
                summary["body_charset"] = charset
            else:
                name = str(email.header.make_header(email.header.decode_header(filename or "")))
                write_atomic(os.path.join(self.folder, "%d.att%d" % (n, k)), payload)
                summary["attachments"].append({"filename": name, "file": "%d.att%d" % (n, k)})
                k += 1
        write_atomic(os.path.join(self.folder, "%d.eml" % n), raw)
        write_atomic(os.path.join(self.folder, "%d.json" % n),
                     json.dumps(summary, ensure_ascii=False).encode("utf-8"))
        return "250 Message accepted for delivery"


def run_each(serve):
    """Listens on a free port and serves each connection in a thread of its own."""
    listener = socket.socket()
    listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    listener.bind(("127.0.0.1", 0))
    listener.listen(16)

    def accept():
        while True:
            conn, _ = listener.accept()
            threading.Thread(target=serve, args=(conn,), daemon=True).start()

    threading.Thread(target=accept, daemon=True).start()
    return listener.getsockname()[1], None


def run_silent():
    held = []
    return run_each(held.append)   # kept open, never answered


def run_drop_in_data():
    def serve(conn):
        with conn, conn.makefile("rb") as lines:
            conn.sendall(b"220 localhost ESMTP\r\n")
            for line in lines:
                if line[:4].upper() == b"DATA":
                    conn.sendall(b"354 End data with <CR><LF>.<CR><LF>\r\n")
                    lines.read(1)
                    return
                conn.sendall(b"250 OK\r\n")

    return run_each(serve)


def run_smtp(folder, user, password, login_only, refuse_recipient):
    from aiosmtpd.controller import Controller
    from aiosmtpd.smtp import AuthResult, LoginPassword

    def authenticator(server, session, envelope, mechanism, auth_data):
        ok = (isinstance(auth_data, LoginPassword)
              and auth_data.login == user.encode("utf-8")
              and auth_data.password == password.encode("utf-8"))
        return AuthResult(success=ok, handled=False)

    port = free_port()
    kwargs = {}
    if user:
        kwargs = dict(authenticator=authenticator, auth_required=True, auth_require_tls=False)
        if login_only:
            kwargs["auth_exclude_mechanism"] = ["PLAIN"]
    controller = Controller(Handler(folder, refuse_recipient), hostname="127.0.0.1", port=port,
                            data_size_limit=64 * 1024 * 1024, **kwargs)
    controller.start()
    return port, controller


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--folder", required=True)
    parser.add_argument("--user", default="")
    parser.add_argument("--password", default="")
    parser.add_argument("--silent", action="store_true")
    parser.add_argument("--login-only", action="store_true", help="offer AUTH LOGIN alone")
    parser.add_argument("--refuse-recipient", action="store_true")
    parser.add_argument("--drop-in-data", action="store_true")
    args = parser.parse_args()
    os.makedirs(args.folder, exist_ok=True)
    if args.silent:
        port, controller = run_silent()
    elif args.drop_in_data:
        port, controller = run_drop_in_data()
    else:
        port, controller = run_smtp(args.folder, args.user, args.password, args.login_only,
                                    args.refuse_recipient)
    print("READY %d" % port, flush=True)
    try:
        sys.stdin.read()
    finally:
        if controller is not None:
            controller.stop()


if __name__ == "__main__":
    main()
