# -*- coding: utf-8 -*-
# MIT License (see LICENSE in the collection's source repository)

from __future__ import absolute_import, division, print_function

__metaclass__ = type

DOCUMENTATION = r'''
module: config
short_description: Bring an access point attached by USB to a desired state
version_added: 1.0.0
description:
  - Applies a desired state, the fields named in I(settings), to one access point attached to
    the managed host, through C(ap-config --json apply) (C(ap-config --json apply --dry-run) in
    check mode).
  - C(ap-config) checks every value with the rules of the unit's pages and its regulation
    domain, compares, writes the named fields in one write and reads them back; a unit that
    already holds them is not written, and the task is then not C(changed).
  - The module holds no rule of the device. A value C(ap-config) refuses fails the task with
    C(ap-config)'s message and the code C(refused), and nothing is written.
extends_documentation_fragment:
  - aputility.access_point.ap_config
options:
  settings:
    description:
      - The desired state, in the format C(ap-config apply) takes and C(ap-config show --json)
        prints (see C(ap-config)'s manual, C(man ap-config)).
      - Field names as C(show --json) prints them (C(essid), C(channel), C(beaconPeriod),
        C(wepType), C(wepKeys), ...); values in any form C(ap-config set) takes for them
        (C(Channel 6) or C(6); numbers as numbers or texts).
      - Only the fields named are checked and set; the others keep the unit's values.
      - C(wepKeys) is a list of up to four keys (key 1 first).
      - The WEP keys given (C(wepKey1) to C(wepKey4), C(wepKeys)) are never shown; Ansible
        masks them in the task's invocation, result and log, and C(changes) and the diff
        only say that a key C(differs).
    type: dict
    required: true
  key_folder:
    description:
      - The folder of the key file C(OEM.tmp) that C(ap-config) keeps in step with the unit's
        WEP keys, as the utility's dialogs do (C(--key-folder)).
      - Default C(ap-config)'s, C($XDG_DATA_HOME/ap-utility) (C(~/.local/share/ap-utility)) of
        the user the task runs as.
    type: path
  force:
    description:
      - Passes C(--force) to C(apply), so the change is made even while the utility runs for the
        same user, which would otherwise fail with the code C(in-use) (see C(man ap-config)
        for all C(--force) goes past in the installed version).
    type: bool
    default: false
  wait:
    description:
      - Seconds to wait for the locks of a unit that another C(ap-config) writes to, or that
        the utility holds, instead of failing with the code C(in-use); passed as
        C(--wait=SECONDS), and only when given.
    type: int
attributes:
  check_mode:
    support: full
    description: C(ap-config apply --dry-run) says what would change; nothing is written.
  diff_mode:
    support: full
    description: Each changed field with its value before and after.
'''

EXAMPLES = r'''
- name: One state for every access point of the fleet
  aputility.access_point.config:
    settings:
      essid: Office AP
      channel: 11
      beaconPeriod: 200
      ssidBroadcast: Enable
    password: "{{ ap_password }}"

- name: WEP with four keys, on the unit with this MAC address
  aputility.access_point.config:
    mac: 02:1a:2b:3c:4d:5e
    settings:
      wepType: 64-bit
      authType: Shared Key
      activeKeyId: Key 1
      wepKeys: [a1b2c3d4e5, "2021222324", "3031323334", "4041424344"]
    password_file: /etc/ap-utility/password
    key_folder: /var/lib/ap-utility

- name: The second unit of a host, while the utility may be open on its desktop
  aputility.access_point.config:
    device: DfuDevice1
    settings: "{{ lookup('file', 'golden.json') | from_json }}"
    password: "{{ ap_password }}"
    force: true
    wait: 30
  register: applied

- name: Where ap-config is not on the PATH
  aputility.access_point.config:
    executable: /opt/ap-utility/bin/ap-config
    settings:
      channel: Channel 13
    password: "{{ ap_password }}"
'''

RETURN = r'''
changes:
  description:
    - Each field the write changed (in check mode, would change), with the unit's value
      before and the value after, in C(show --json)'s forms; empty when the unit already
      held the desired state.
    - A WEP key's change is the word C(differs), without its values.
  returned: success
  type: dict
  sample: {"channel": {"before": "Channel 6", "after": "Channel 11"},
           "beaconPeriod": {"before": 100, "after": 200}, "wepKey1": "differs"}
device:
  description: The unit's device name on the managed host.
  returned: success
  type: str
  sample: DfuDevice0
mac_address:
  description: The unit's MAC address, as C(ap-config) prints it.
  returned: success
  type: str
  sample: 02-1a-2b-3c-4d-5e
result:
  description:
    - C(ap-config)'s word for what it did, C(verified) (written and read back),
      C(unchanged) (nothing to write) or C(dry run) (check mode).
  returned: success
  type: str
  sample: verified
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

from ansible_collections.aputility.access_point.plugins.module_utils.ap_config import (
    COMMON_ARGUMENT_SPEC, COMMON_MUTUALLY_EXCLUSIVE, ApConfig, ApConfigFailure, SettingsModule,
    fail, hide_keys)


def apply_options(params, check_mode):
    options = ['--force'] if params['force'] else []
    if params['wait'] is not None:
        options.append('--wait=%d' % params['wait'])
    return options + (['--dry-run'] if check_mode else [])


def diff_of(changes, unit):
    """Each change's before and after; a field not shown (a password, a WEP key) is only
    said to differ: "(not shown)" before, "(differs)" after."""
    def side(change, which):
        if isinstance(change, dict):
            return change.get(which)
        return '(%s)' % change if which == 'after' else '(not shown)'

    before = dict((name, side(change, 'before')) for name, change in changes.items())
    after = dict((name, side(change, 'after')) for name, change in changes.items())
    return dict(before=before, after=after, before_header=unit, after_header=unit)


def main():
    argument_spec = dict(COMMON_ARGUMENT_SPEC,
                         settings=dict(type='dict', required=True),
                         key_folder=dict(type='path'),
                         force=dict(type='bool', default=False),
                         wait=dict(type='int'))
    module = SettingsModule(argument_spec=argument_spec,
                            mutually_exclusive=COMMON_MUTUALLY_EXCLUSIVE,
                            supports_check_mode=True)
    try:
        ap_config = ApConfig(module)
        state = ap_config.private_file(module.params['settings'])
        folder = module.params['key_folder']
        document = ap_config.run(
            ['apply'] + apply_options(module.params, module.check_mode) + [state],
            options=['--key-folder', folder] if folder else [])
    except ApConfigFailure as failure:
        # Written, but read back otherwise: the unit was changed all the same.
        fail(module, failure, changed=failure.code == 'read-back-differs')
    changes = hide_keys(document.get('changes') or {})
    if module.check_mode:
        changed = bool(changes)
    else:
        changed = document.get('result') != 'unchanged'
    result = dict(changed=changed, changes=changes, device=document.get('device'),
                  mac_address=document.get('macAddress'), result=document.get('result'))
    if module._diff:
        result['diff'] = diff_of(changes, '%s %s' % (result['device'], result['mac_address']))
    module.exit_json(**result)


if __name__ == '__main__':
    main()
