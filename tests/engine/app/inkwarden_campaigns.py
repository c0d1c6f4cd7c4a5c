#!/usr/bin/env python3
"""Stand-in campaigns script: reduces a small JSON campaign file to a rollup and writes a sample one.

  status --file F    answers {"rollup": {...}} for the campaign in F, or {"error": ...}
  refresh --file F   the same, after counting the refresh in the file
  demo --out F       writes a sample campaign to F and answers {"ok": true, "file": F}, or {"error": ...}

A campaign file is {"name": ..., "signers": [{"name": ..., "signed": bool}], "refreshes": n}. With
IKW_STANDIN_CAMPAIGNS_LOG set, each call's arguments are appended to that file as one JSON line.
"""
import argparse
import json
import os
import sys


def rollup(campaign):
    signers = campaign.get("signers") or []
    signed = sum(1 for signer in signers if signer.get("signed"))
    return {
        "name": campaign.get("name", ""),
        "signers": len(signers),
        "signed": signed,
        "pending": len(signers) - signed,
        "refreshes": campaign.get("refreshes", 0),
    }


def read_campaign(path):
    with open(path, encoding="utf-8") as handle:
        campaign = json.load(handle)
    if not isinstance(campaign, dict):
        raise ValueError("not a campaign file")
    return campaign


def write_campaign(path, campaign):
    with open(path, "w", encoding="utf-8") as handle:
        json.dump(campaign, handle)


def main():
    log = os.environ.get("IKW_STANDIN_CAMPAIGNS_LOG")
    if log:
        with open(log, "a", encoding="utf-8") as handle:
            handle.write(json.dumps(sys.argv[1:]) + "\n")
    parser = argparse.ArgumentParser()
    parser.add_argument("verb", choices=["status", "refresh", "demo"])
    parser.add_argument("--file", default="")
    parser.add_argument("--out", default="")
    options = parser.parse_args()
    try:
        if options.verb == "demo":
            write_campaign(options.out, {
                "name": "Sample campaign",
                "signers": [{"name": "Signer One", "signed": True}, {"name": "Signer Two", "signed": False}],
                "refreshes": 0,
            })
            answer = {"ok": True, "file": options.out}
        else:
            campaign = read_campaign(options.file)
            if options.verb == "refresh":
                campaign["refreshes"] = campaign.get("refreshes", 0) + 1
                write_campaign(options.file, campaign)
            answer = {"rollup": rollup(campaign)}
    except (OSError, ValueError) as error:
        answer = {"error": str(error)}
    print(json.dumps(answer))


if __name__ == "__main__":
    main()
