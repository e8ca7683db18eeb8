# -*- coding: utf-8 -*-
# MIT License (see LICENSE in the collection's source repository)

from __future__ import absolute_import, division, print_function

__metaclass__ = type

DOCUMENTATION = r'''
module: info
short_description: Read an access point attached by USB
version_added: 1.0.0
description:
  - Reads one access point attached to the managed host through C(ap-config --json show),
    its settings, device name, MAC address, firmware version and regulation domain, for
    reports and drift checks. Nothing is written.
  - I(settings) is a desired state for M(aputility.access_point.config) (and
    C(ap-config apply)), in the same fields and forms.
extends_documentation_fragment:
  - aputility.access_point.ap_config
attributes:
  check_mode:
    support: full
    description: Reads only; the same in check mode.
  diff_mode:
    support: none
    description: Nothing is changed.
'''

EXAMPLES = r'''
- name: Read the unit
  aputility.access_point.info:
    password: "{{ ap_password }}"
  register: unit

- name: Report its firmware
  ansible.builtin.debug:
    msg: "{{ inventory_hostname }}: {{ unit.mac_address }} firmware {{ unit.firmware_version }}"

- name: Drift, against the fleet's golden state
  ansible.builtin.assert:
    that: unit.settings | dict2items | selectattr('key', 'in', golden) | items2dict == golden
  vars:
    golden: "{{ lookup('file', 'golden.json') | from_json }}"

- name: The unit with this MAC address
  aputility.access_point.info:
    mac: 02:1a:2b:3c:4d:5e
    password_file: /etc/ap-utility/password

- name: The second unit, through an ap-config that is not on the PATH
  aputility.access_point.info:
    device: DfuDevice1
    password: "{{ ap_password }}"
    executable: /opt/ap-utility/bin/ap-config
'''

RETURN = r'''
settings:
  description:
    - Every field C(ap-config show --json) prints but the unit's own (MAC address, firmware
      version, regulation domain), in its forms.
  returned: success
  type: dict
  sample: {"apName": "AccessPoint", "essid": "wireless", "channel": "Channel 6",
           "beaconPeriod": 100, "wepType": "Disable",
           "wepKeys": ["101112131415161718191a1b1c", "202122232425262728292a2b2c",
                       "303132333435363738393a3b3c", "404142434445464748494a4b4c"]}
device:
  description: The unit's device name on the managed host.
  returned: success
  type: str
  sample: DfuDevice0
mac_address:
  description: The unit's MAC address.
  returned: success
  type: str
  sample: 02-1a-2b-3c-4d-5e
firmware_version:
  description: The firmware's version, as the utility's Info page shows it.
  returned: success
  type: str
  sample: 1.0.2.0
regulation_domain:
  description: The unit's regulation domain, which decides its channels.
  returned: success
  type: str
  sample: FCC
code:
  description: On failure, C(ap-config)'s error code word (see the notes).
  returned: failure
  type: str
  sample: wrong-password
exit_code:
  description: On failure, C(ap-config)'s exit code.
  returned: failure
  type: int
  sample: 4
'''

from ansible.module_utils.basic import AnsibleModule

from ansible_collections.aputility.access_point.plugins.module_utils.ap_config import (
    COMMON_ARGUMENT_SPEC, COMMON_MUTUALLY_EXCLUSIVE, UNIT_OWN_FIELDS, ApConfig, ApConfigFailure,
    fail)


def device_of(ap_config, document):
    """The unit's device name: given, printed by show, the one unit list reports, or the one
    list reports with its MAC address."""
    if document.get('device') or ap_config.mac is None:
        return document.get('device') or ap_config.device or ap_config.listed
    units = ap_config.run(['list'], unit=False)
    for unit in units.get('units', []):
        if unit.get('macAddress') == document.get('macAddress'):
            return unit.get('device')
    return None


def main():
    module = AnsibleModule(argument_spec=COMMON_ARGUMENT_SPEC,
                           mutually_exclusive=COMMON_MUTUALLY_EXCLUSIVE,
                           supports_check_mode=True)
    try:
        ap_config = ApConfig(module)
        document = ap_config.run(['show'])
        result = dict(changed=False, device=device_of(ap_config, document))
    except ApConfigFailure as failure:
        fail(module, failure)
    for field, name in UNIT_OWN_FIELDS:
        result[name] = document.pop(field, None)
    document.pop('device', None)
    result['settings'] = document
    module.exit_json(**result)


if __name__ == '__main__':
    main()
