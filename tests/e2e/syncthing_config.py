#!/usr/bin/env python3
"""Rewrites a freshly generated Syncthing config.xml for a loopback-only test,
before the first start: one shared folder with one peer, every address on
127.0.0.1, and discovery, relays, NAT traversal, STUN, usage and crash
reporting and upgrades all off.

usage: syncthing_config.py HOME OWN_ID OWN_PORT GUI_PORT PEER_ID PEER_PORT FOLDER_ID FOLDER_PATH
"""
import copy
import sys
import xml.etree.ElementTree as ET

home, own_id, own_port, gui_port, peer_id, peer_port, folder_id, folder_path = sys.argv[1:9]
path = home + "/config.xml"
tree = ET.parse(path)
root = tree.getroot()


def set_text(parent, tag, text):
    node = parent.find(tag)
    if node is None:
        node = ET.SubElement(parent, tag)
    node.text = text


options = root.find("options")
for tag in ("globalAnnounceServer", "listenAddress"):
    for node in options.findall(tag):
        options.remove(node)
set_text(options, "listenAddress", "tcp://127.0.0.1:" + own_port)
for tag in ("globalAnnounceEnabled", "localAnnounceEnabled", "relaysEnabled", "natEnabled",
            "crashReportingEnabled", "startBrowser", "announceLANAddresses", "restartOnWakeup"):
    set_text(options, tag, "false")
set_text(options, "urAccepted", "-1")
set_text(options, "urSeen", "3")
set_text(options, "autoUpgradeIntervalH", "0")
set_text(options, "stunKeepaliveStartS", "0")
set_text(options, "stunServer", "")
set_text(options, "reconnectionIntervalS", "1")
set_text(options, "releasesURL", "")
set_text(options, "urURL", "")
set_text(options, "crashReportingURL", "")

gui = root.find("gui")
set_text(gui, "address", "127.0.0.1:" + gui_port)

# Both devices, each only at its loopback address.
for device in root.findall("device"):
    root.remove(device)
template = ET.fromstring('<device compression="metadata" introducer="false" skipIntroductionRemovals="false" '
                         'introducedBy=""><paused>false</paused><autoAcceptFolders>false</autoAcceptFolders>'
                         '</device>')
for index, (device_id, port, name) in enumerate(((own_id, own_port, "self"), (peer_id, peer_port, "peer"))):
    device = copy.deepcopy(template)
    device.set("id", device_id)
    device.set("name", name)
    address = ET.Element("address")
    address.text = "tcp://127.0.0.1:" + port
    device.insert(0, address)
    root.insert(index, device)

# The shared folder, watched closely so changes travel within a second or two.
folder = copy.deepcopy(root.find("defaults").find("folder"))
folder.set("id", folder_id)
folder.set("label", folder_id)
folder.set("path", folder_path)
folder.set("rescanIntervalS", "5")
folder.set("fsWatcherEnabled", "true")
folder.set("fsWatcherDelayS", "1")
for device in folder.findall("device"):
    folder.remove(device)
for device_id in (own_id, peer_id):
    device = ET.Element("device", {"id": device_id, "introducedBy": ""})
    ET.SubElement(device, "encryptionPassword")
    folder.insert(1, device)
set_text(folder, "paused", "false")
root.insert(2, folder)

tree.write(path)
