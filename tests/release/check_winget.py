#!/usr/bin/python3
"""The winget manifests of a release (tools/release.sh writes them into
<release>/winget): valid manifests of version 1.12.0, and true to the
release: its version, both installers with the address they are published
at and their SHA-256, per user and per machine (elevated) with their switches,
silent with /S, its exit codes 740 and 3010, and the product code of the
installer's entry in the list of apps. It first shows that it rejects
manifests with one fault each.

check_winget.py <release folder> <version> <download folder URL> <NSIS template>
"""
import copy
import hashlib
import pathlib
import re
import sys

import yaml

# What manifest version 1.12.0 asks of the fields these manifests use,
# written down from its JSON schemas (microsoft/winget-cli,
# schemas/JSON/manifests/v1.12.0/manifest.{version,installer,defaultLocale,
# locale}.1.12.0.json): per manifest type the required fields and the names
# it knows (winget rejects others), and per field its pattern, values or
# length.
MANIFEST_VERSION = "1.12.0"
_INSTALLER_FIELDS = {
    "InstallerLocale", "Platform", "MinimumOSVersion", "InstallerType", "NestedInstallerType",
    "NestedInstallerFiles", "Scope", "InstallModes", "InstallerSwitches", "InstallerSuccessCodes",
    "ExpectedReturnCodes", "UpgradeBehavior", "Commands", "Protocols", "FileExtensions", "Dependencies",
    "PackageFamilyName", "ProductCode", "Capabilities", "RestrictedCapabilities", "Markets",
    "InstallerAbortsTerminal", "ReleaseDate", "InstallLocationRequired", "RequireExplicitUpgrade",
    "DisplayInstallWarnings", "UnsupportedOSArchitectures", "UnsupportedArguments", "AppsAndFeaturesEntries",
    "ElevationRequirement", "InstallationMetadata", "DownloadCommandProhibited", "RepairBehavior",
    "ArchiveBinariesDependOnPath", "Authentication",
}
_LOCALE_FIELDS = {
    "PackageIdentifier", "PackageVersion", "PackageLocale", "Publisher", "PublisherUrl", "PublisherSupportUrl",
    "PrivacyUrl", "Author", "PackageName", "PackageUrl", "License", "LicenseUrl", "Copyright", "CopyrightUrl",
    "ShortDescription", "Description", "Tags", "Agreements", "ReleaseNotes", "ReleaseNotesUrl", "PurchaseUrl",
    "InstallationNotes", "Documentations", "Icons", "ManifestType", "ManifestVersion",
}
_COMMON = ["PackageIdentifier", "PackageVersion"]
SCHEMA = {
    "version": {
        "required": _COMMON + ["DefaultLocale", "ManifestType", "ManifestVersion"],
        "known": set(_COMMON) | {"DefaultLocale", "ManifestType", "ManifestVersion"},
    },
    "installer": {
        "required": _COMMON + ["Installers", "ManifestType", "ManifestVersion"],
        "known": set(_COMMON) | _INSTALLER_FIELDS | {"Channel", "Installers", "ManifestType", "ManifestVersion"},
    },
    "defaultLocale": {
        "required": _COMMON + ["PackageLocale", "Publisher", "PackageName", "License", "ShortDescription",
                               "ManifestType", "ManifestVersion"],
        "known": _LOCALE_FIELDS | {"Moniker"},
    },
    "locale": {
        "required": _COMMON + ["PackageLocale", "ManifestType", "ManifestVersion"],
        "known": _LOCALE_FIELDS,
    },
}
INSTALLER_REQUIRED = ["Architecture", "InstallerUrl", "InstallerSha256"]
INSTALLER_KNOWN = _INSTALLER_FIELDS | {"Architecture", "InstallerUrl", "InstallerSha256", "SignatureSha256"}
SWITCHES_KNOWN = {"Silent", "SilentWithProgress", "Interactive", "InstallLocation", "Log", "Upgrade", "Custom",
                  "Repair"}
_NAME_PART = r'[^\.\s\\/:\*\?"<>\|\x01-\x1f]{1,32}'
_LOCALE = r"^([a-zA-Z]{2,3}|[iI]-[a-zA-Z]+|[xX]-[a-zA-Z]{1,8})(-[a-zA-Z]{1,8})*$"
_UINT16 = r"(0|[1-9][0-9]{0,3}|[1-5][0-9]{4}|6[0-4][0-9]{3}|65[0-4][0-9]{2}|655[0-2][0-9]|6553[0-5])"
# field: (pattern, allowed values, shortest, longest)
FIELDS = {
    "PackageIdentifier": (rf"^{_NAME_PART}(\.{_NAME_PART}){{1,7}}$", None, 1, 128),
    "PackageVersion": (r'^[^\\/:\*\?"<>\|\x01-\x1f]+$', None, 1, 128),
    "DefaultLocale": (_LOCALE, None, 1, 20),
    "PackageLocale": (_LOCALE, None, 1, 20),
    "ManifestVersion": (rf"^{_UINT16}(\.{_UINT16}){{2}}$", None, 1, None),
    "InstallerType": (None, {"msix", "msi", "appx", "exe", "zip", "inno", "nullsoft", "wix", "burn", "pwa",
                             "portable", "font"}, None, None),
    "Scope": (None, {"user", "machine"}, None, None),
    "ElevationRequirement": (None, {"elevationRequired", "elevationProhibited", "elevatesSelf"}, None, None),
    "UpgradeBehavior": (None, {"install", "uninstallPrevious", "deny"}, None, None),
    "Architecture": (None, {"x86", "x64", "arm", "arm64", "neutral"}, None, None),
    "InstallerUrl": (r"^([Hh][Tt][Tt][Pp][Ss]?)://.+$", None, 1, 2048),
    "InstallerSha256": (r"^[A-Fa-f0-9]{64}$", None, None, None),
    "ProductCode": (None, None, 1, 255),
    "Silent": (None, None, 1, 512),
    "SilentWithProgress": (None, None, 1, 512),
    "Custom": (None, None, 1, 2048),
    "Publisher": (None, None, 2, 256),
    "PackageName": (None, None, 2, 256),
    "License": (None, None, 3, 512),
    "ShortDescription": (None, None, 3, 256),
    "Description": (None, None, 3, 10000),
    "Moniker": (None, None, 1, 40),
}
RETURN_CODE_KNOWN = {"InstallerReturnCode", "ReturnResponse", "ReturnResponseUrl"}
INSTALL_MODES = {"interactive", "silent", "silentWithProgress"}
MAX_TAGS, TAG_LENGTH = 16, 40


def field_problems(where, fields, required, known):
    problems = [f"{where}: {name} is missing" for name in required if name not in fields]
    problems += [f"{where}: {name} is no field of the schema" for name in fields if name not in known]
    for name, value in fields.items():
        if name not in FIELDS:
            continue
        pattern, values, shortest, longest = FIELDS[name]
        if not isinstance(value, str):
            problems.append(f"{where}: {name} is not text: {value!r}")
        elif pattern and not re.search(pattern, value):
            problems.append(f"{where}: {name} {value!r} does not match {pattern}")
        elif values and value not in values:
            problems.append(f"{where}: {name} {value!r} is none of {sorted(values)}")
        elif (shortest and len(value) < shortest) or (longest and len(value) > longest):
            problems.append(f"{where}: {name} is {len(value)} characters long")
    return problems


def schema_problems(name, manifest):
    """What manifest version 1.12.0 finds wrong with one manifest file."""
    kind = manifest.get("ManifestType")
    if kind not in SCHEMA:
        return [f"{name}: unknown ManifestType {kind!r}"]
    problems = field_problems(name, manifest, SCHEMA[kind]["required"], SCHEMA[kind]["known"])
    if manifest.get("ManifestVersion") != MANIFEST_VERSION:
        problems.append(f"{name}: ManifestVersion {manifest.get('ManifestVersion')!r}, not {MANIFEST_VERSION}")
    tags = manifest.get("Tags", [])
    if len(tags) > MAX_TAGS or len(set(tags)) != len(tags) or any(not 1 <= len(t) <= TAG_LENGTH for t in tags):
        problems.append(f"{name}: Tags must be at most {MAX_TAGS} different ones of 1 to {TAG_LENGTH} characters")
    if kind == "installer":
        modes = manifest.get("InstallModes", [])
        if not set(modes) <= INSTALL_MODES or len(set(modes)) != len(modes):
            problems.append(f"{name}: InstallModes {modes}")
        problems += field_problems(f"{name} InstallerSwitches", manifest.get("InstallerSwitches", {}), [],
                                   SWITCHES_KNOWN)
        for entry in manifest.get("ExpectedReturnCodes", []):
            problems += field_problems(f"{name} ExpectedReturnCodes", entry, ["InstallerReturnCode", "ReturnResponse"],
                                       RETURN_CODE_KNOWN)
        installers = manifest.get("Installers") or []
        if not installers:
            problems.append(f"{name}: no Installers")
        for index, installer in enumerate(installers):
            where = f"{name} installer {index}"
            problems += field_problems(where, installer, INSTALLER_REQUIRED, INSTALLER_KNOWN)
            problems += field_problems(f"{where} InstallerSwitches", installer.get("InstallerSwitches", {}), [],
                                       SWITCHES_KNOWN)
            # The schema leaves this to winget: the type at the top or in each installer.
            if "InstallerType" not in manifest and "InstallerType" not in installer:
                problems.append(f"{where}: no InstallerType")
    return problems


def release_problems(manifests, release, version, url, product_code, switches):
    """What these manifests say that is not true of this release."""
    problems = []
    by_type = {m.get("ManifestType"): m for m in manifests.values()}
    version_manifest = by_type.get("version", {})
    identifier = version_manifest.get("PackageIdentifier", "")
    expected_names = {f"{identifier}.yaml", f"{identifier}.installer.yaml", f"{identifier}.locale.ja-JP.yaml",
                      f"{identifier}.locale.en-US.yaml"}
    if set(manifests) != expected_names:
        problems.append(f"the manifests are {sorted(manifests)}, not {sorted(expected_names)}")
    for name, manifest in manifests.items():
        if manifest.get("PackageIdentifier") != identifier or manifest.get("PackageVersion") != version:
            problems.append(f"{name}: not {identifier} {version}")
    default = by_type.get("defaultLocale", {})
    if version_manifest.get("DefaultLocale") != "ja-JP" or default.get("PackageLocale") != "ja-JP":
        problems.append("the default locale is not ja-JP in both the version and the default locale file")
    if by_type.get("locale", {}).get("PackageLocale") != "en-US":
        problems.append("there is no en-US locale")

    installer = by_type.get("installer", {})
    expected = {"InstallerType": "nullsoft", "ProductCode": product_code}
    for field, value in expected.items():
        if installer.get(field) != value:
            problems.append(f"installer: {field} is {installer.get(field)!r}, not {value!r}")
    if installer.get("InstallerSwitches", {}).get("Silent") != "/S":
        problems.append("installer: the silent switch is not /S")
    # 740 fails (no administrator rights), 3010 succeeds once Windows restarts.
    responses = {e.get("InstallerReturnCode"): e.get("ReturnResponse") for e in installer.get("ExpectedReturnCodes", [])}
    if responses.get(3010) != "rebootRequiredToFinish" or 740 not in responses:
        problems.append(f"installer: the return codes {responses}, not 740 and 3010 (rebootRequiredToFinish)")
    # Each architecture for the signed-in user and for the machine, each
    # with the switch the installer takes for it; the machine's elevated.
    scopes = {"user": ("/CURRENTUSER", None), "machine": ("/ALLUSERS", "elevationRequired")}
    architectures = {"x64": "win64", "x86": "win32"}
    listed = sorted((i.get("Architecture"), i.get("Scope")) for i in installer.get("Installers", []))
    wanted = sorted((arch, scope) for arch in architectures for scope in scopes)
    if listed != wanted:
        problems.append(f"installer: installers {listed}, not {wanted}")
    for entry in installer.get("Installers", []):
        switch, elevation = scopes.get(entry.get("Scope"), (None, None))
        if entry.get("InstallerSwitches", {}).get("Custom") != switch or switch not in switches:
            problems.append(f"installer: the {entry.get('Scope')} installer's switch is not {switch}, or the "
                            f"installer does not take it")
        if entry.get("ElevationRequirement") != elevation:
            problems.append(f"installer: the {entry.get('Scope')} installer's elevation is not {elevation}")
        package = f"Sopora-{version}-{architectures.get(entry.get('Architecture'), '?')}.exe"
        if entry.get("InstallerUrl") != f"{url}/{package}":
            problems.append(f"installer: {entry.get('InstallerUrl')} is not {url}/{package}")
        path = release / package
        digest = hashlib.sha256(path.read_bytes()).hexdigest() if path.exists() else "no file"
        if str(entry.get("InstallerSha256", "")).lower() != digest:
            problems.append(f"installer: the SHA-256 of {package} is {digest}, not {entry.get('InstallerSha256')}")
    return problems


def problems(manifests, release, version, url, product_code, switches):
    found = [p for name, m in manifests.items() for p in schema_problems(name, m)]
    return found + release_problems(manifests, release, version, url, product_code, switches)


def one_fault_each(manifests, identifier):
    """Copies of good manifests, each with one fault the check must find."""
    def changed(name, change):
        faulty = copy.deepcopy(manifests)
        change(faulty[f"{identifier}.{name}yaml"])
        return faulty
    yield "a required field left out", changed("locale.ja-JP.", lambda m: m.pop("License"))
    yield "a misspelt field", changed("installer.", lambda m: m["Installers"][0].update(InstallerSha265="0" * 64))
    yield "an identifier without a publisher", changed("", lambda m: m.update(PackageIdentifier="Sopora"))
    yield "an older manifest version", changed("locale.en-US.", lambda m: m.update(ManifestVersion="1.10.0"))
    yield "too long a description", changed("locale.en-US.", lambda m: m.update(ShortDescription="x" * 257))
    yield "no machine scope", changed("installer.", lambda m: [i.update(Scope="user") for i in m["Installers"]])
    yield "the machine's switch left out", changed("installer.", lambda m: [
        i.pop("InstallerSwitches") for i in m["Installers"] if i.get("Scope") == "machine"])
    yield "3010 as a failure", changed("installer.", lambda m: m.update(ExpectedReturnCodes=[
        {"InstallerReturnCode": 740, "ReturnResponse": "custom"},
        {"InstallerReturnCode": 3010, "ReturnResponse": "contactSupport"}]))
    yield "no silent switch", changed("installer.", lambda m: m.pop("InstallerSwitches"))
    yield "the installers' hashes swapped", changed("installer.", lambda m: m.update(Installers=[
        dict(i, InstallerSha256=m["Installers"][-1 - n]["InstallerSha256"]) for n, i in enumerate(m["Installers"])]))
    yield "one architecture only", changed("installer.", lambda m: m["Installers"].pop())
    yield "another download folder", changed("installer.", lambda m: m["Installers"][0].update(
        InstallerUrl=m["Installers"][0]["InstallerUrl"].replace("/Sopora-", "/old/Sopora-")))


def main():
    release, version, url, template = pathlib.Path(sys.argv[1]), sys.argv[2], sys.argv[3], sys.argv[4]
    script = pathlib.Path(template).read_text(encoding="utf-8")
    product_code = re.search(r'!define UNINSTALL_KEY ".*\\([^\\"]+)"', script).group(1)
    switches = set(re.findall(r'\$\{GetOptions\} \S+ "(/[A-Z]+)"', script))
    folder = release / "winget"
    manifests = {path.name: yaml.safe_load(path.read_text(encoding="utf-8")) for path in folder.glob("*.yaml")}
    identifier = next((m["PackageIdentifier"] for m in manifests.values() if m.get("ManifestType") == "version"), "")

    status = 0
    for fault, faulty in one_fault_each(manifests, identifier):
        if not problems(faulty, release, version, url, product_code, switches):
            print(f"FAIL: the check does not find {fault}", file=sys.stderr)
            status = 1
    found = problems(manifests, release, version, url, product_code, switches)
    for problem in found:
        print(f"FAIL: {problem}", file=sys.stderr)
    if found:
        status = 1
    else:
        print(f"{folder}: {len(manifests)} manifests of {identifier} {version}, manifest version {MANIFEST_VERSION}, "
              f"as the release is")
    return status


if __name__ == "__main__":
    sys.exit(main())
