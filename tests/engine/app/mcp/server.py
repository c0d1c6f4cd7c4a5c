#!/usr/bin/env python3
"""Stand-in MCP server: JSON-RPC 2.0 over standard input and output, one message per line.

It answers `initialize` and `tools/list`, and offers one tool, `list_windows`, which asks the
running application's agent bridge (found through its discovery file) for its open windows.
"""
import json
import os
import sys
import urllib.request

PROTOCOL_VERSION = "2024-11-05"
TOOLS = [{
    "name": "list_windows",
    "description": "The documents open in the application's windows.",
    "inputSchema": {"type": "object", "properties": {}},
}]


def discovery_file():
    data_home = os.environ.get("XDG_DATA_HOME") or os.path.join(os.path.expanduser("~"), ".local", "share")
    return os.path.join(data_home, "Inkwarden", "agent_bridge.json")


def list_windows():
    with open(discovery_file(), encoding="utf-8") as handle:
        bridge = json.load(handle)
    request = urllib.request.Request(
        "http://127.0.0.1:%d/windows" % int(bridge["port"]),
        headers={"Authorization": "Bearer " + bridge["token"]})
    with urllib.request.urlopen(request, timeout=20) as answer:
        return json.loads(answer.read().decode("utf-8"))


def call_tool(params):
    if params.get("name") != "list_windows":
        raise ValueError("unknown tool: %s" % params.get("name"))
    try:
        listed = list_windows()
    except (OSError, ValueError, KeyError) as error:
        return {"content": [{"type": "text", "text": "The application is not running: %s" % error}], "isError": True}
    windows = listed.get("windows", [])
    return {"content": [{"type": "text", "text": json.dumps(listed)}],
            "structuredContent": {"count": len(windows), "windows": windows}}


def answer(message):
    method = message.get("method")
    if method == "initialize":
        return {"protocolVersion": PROTOCOL_VERSION, "capabilities": {"tools": {}},
                "serverInfo": {"name": "inkwarden", "version": "1"}}
    if method == "tools/list":
        return {"tools": TOOLS}
    if method == "tools/call":
        return call_tool(message.get("params") or {})
    if method == "ping":
        return {}
    raise LookupError(method)


def main():
    for line in sys.stdin:
        line = line.strip()
        if not line:
            continue
        try:
            message = json.loads(line)
        except ValueError:
            reply = {"jsonrpc": "2.0", "id": None, "error": {"code": -32700, "message": "parse error"}}
        else:
            if "id" not in message:
                continue  # a notification
            reply = {"jsonrpc": "2.0", "id": message["id"]}
            try:
                reply["result"] = answer(message)
            except LookupError as error:
                reply["error"] = {"code": -32601, "message": "method not found: %s" % error}
            except ValueError as error:
                reply["error"] = {"code": -32602, "message": str(error)}
        sys.stdout.write(json.dumps(reply) + "\n")
        sys.stdout.flush()


if __name__ == "__main__":
    main()
