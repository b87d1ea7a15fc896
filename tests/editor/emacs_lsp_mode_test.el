;;; emacs_lsp_mode_test.el --- lsp-mode against quelmix-config-lsp -*- lexical-binding: t -*-
;; SPDX-License-Identifier: MIT
;;
;; Emacs's lsp-mode against quelmix-config-lsp, in batch, set up by the
;; docs' own snippet (run_emacs_test.sh loads it first): visit a file with
;; mistakes, run lsp-mode's idle timers as the command loop of an
;; interactive Emacs would, wait for the diagnostics and check their lines
;; and kinds, ask for hover, completion and semantic tokens, apply the
;; quick fix and see its diagnostic go, then format the buffer.  Exits 0
;; when all hold.

(require 'cl-lib)

(defvar quelmix-test-failures nil)

(defun quelmix-test-check (ok what)
  (unless ok (push what quelmix-test-failures)))

(defun quelmix-test-finish ()
  (if quelmix-test-failures
      (progn
        (message "lsp-mode test: %s"
                 (mapconcat #'identity (reverse quelmix-test-failures) "\n  "))
        (kill-emacs 1))
    (message "lsp-mode test: all checks passed")
    (kill-emacs 0)))

(defun quelmix-test-run-idle-timers ()
  "Run the idle timers that are due, as an idle interactive Emacs would."
  (dolist (timer (copy-sequence timer-idle-list))
    (when (memq timer timer-idle-list)
      (unless (timer--repeat-delay timer)
        (cancel-timer timer))
      (apply (timer--function timer) (timer--args timer)))))

(defun quelmix-test-wait (predicate seconds)
  "Let timers and the server's output run until PREDICATE holds."
  (let ((deadline (+ (float-time) seconds)))
    (while (and (not (funcall predicate)) (< (float-time) deadline))
      (quelmix-test-run-idle-timers)
      (accept-process-output nil 0.05))
    (funcall predicate)))

(defun quelmix-test-diagnostics ()
  "Each diagnostic lsp-mode holds for the buffer as \"LINE:COLUMN CODE\"."
  (let ((found (gethash (lsp--fix-path-casing (buffer-file-name))
                        (lsp-diagnostics t))))
    (sort (mapcar (lambda (d)
                    (let ((start (lsp:range-start (lsp:diagnostic-range d))))
                      (format "%d:%d %s" (lsp:position-line start)
                              (lsp:position-character start)
                              (lsp:diagnostic-code? d))))
                  found)
          #'string<)))

(defun quelmix-test-line (n)
  "Zero-based line N of the buffer."
  (save-excursion
    (goto-char (point-min))
    (forward-line n)
    (buffer-substring-no-properties (line-beginning-position)
                                    (line-end-position))))

(defun quelmix-test-goto (line column)
  (goto-char (point-min))
  (forward-line line)
  (forward-char column))

(let* ((work (file-name-as-directory (getenv "QUELMIX_WORK")))
       (path (expand-file-name "camera.cfg" work)))
  (with-temp-file path
    (insert "[camera parameter]\n"
            "I2C_ADDR = 0x10000\n"
            "SIZE=1920,1080\n"
            "[register parameter]\n"
            "REG = 0x3008 0x82\n"
            "bad line\n"
            "[control parameter]\n"
            "CTRL_NAME = Brightness\n"
            "step = 1\n"))
  ;; The question an interactive Emacs asks once: which folder is the
  ;; project.  Semantic tokens are off unless asked for; snippets need
  ;; yasnippet, and the mode line's status the autoloads batch lacks.
  (setq lsp-auto-guess-root nil
        lsp-semantic-tokens-enable t
        lsp-enable-snippet nil
        lsp-modeline-workspace-status-enable nil
        lsp-modeline-diagnostics-enable nil
        lsp-modeline-code-actions-enable nil
        lsp-headerline-breadcrumb-enable nil
        lsp-enable-file-watchers nil
        lsp-restart 'ignore)
  (lsp-workspace-folders-add (directory-file-name work))
  (find-file path)
  (quelmix-test-check (eq major-mode 'quelmix-config-mode)
                      (format "the snippet set the mode: %s" major-mode))
  (quelmix-test-check
   (quelmix-test-wait (lambda () (and (bound-and-true-p lsp-mode)
                                      (lsp-workspaces)))
                      20)
   "the snippet started lsp-mode")
  (unless (lsp-workspaces) (quelmix-test-finish))

  (quelmix-test-check
   (quelmix-test-wait (lambda () (>= (length (quelmix-test-diagnostics)) 4))
                      20)
   "diagnostics arrived")
  (let ((found (quelmix-test-diagnostics)))
    (quelmix-test-check
     (equal found '("1:11 value-out-of-range" "4:13 trailing-text"
                    "5:0 missing-separator" "8:0 unknown-key"))
     (format "diagnostics: %S" found)))

  ;; Hover on a key: the field, its width, what the line stores.
  (quelmix-test-goto 1 3)
  (let* ((hover (lsp-request "textDocument/hover"
                             (lsp--text-document-position-params)))
         (words (format "%S" (and hover (lsp:hover-contents hover)))))
    (quelmix-test-check (and (string-search "i2c_addr" words)
                             (string-search "16-bit" words))
                        (format "hover: %s" words)))

  ;; Completion at the start of a line of the camera section: its keys.
  (quelmix-test-goto 2 0)
  (let* ((answer (lsp-request "textDocument/completion"
                              (lsp--text-document-position-params)))
         (items (if (lsp-completion-list? answer)
                    (lsp:completion-list-items answer)
                  answer))
         (labels (mapcar #'lsp:completion-item-label items)))
    (quelmix-test-check (and (member "TRANS_LVL" labels)
                             (not (member "REG" labels)))
                        (format "completion: %S" labels)))

  ;; Semantic tokens, as lsp-mode asks for them once they are enabled.
  (quelmix-test-check
   (and (lsp-feature? "textDocument/semanticTokensFull")
        (let ((tokens (lsp-request "textDocument/semanticTokens/full"
                                   `(:textDocument ,(lsp--text-document-identifier)))))
          (> (length (lsp-get tokens :data)) 0))
        (bound-and-true-p lsp-semantic-tokens-mode))
   "semantic tokens")

  ;; The one quick fix on the unknown key's line, applied as lsp-mode
  ;; applies it; the diagnostic goes with the next publication.
  (quelmix-test-goto 8 0)
  (let ((actions (lsp-code-actions-at-point)))
    (quelmix-test-check actions "a code action on the unknown key")
    (when actions
      (lsp-execute-code-action
       (or (seq-find (lambda (a) (equal (lsp:code-action-kind? a) "quickfix"))
                     actions)
           (car actions)))))
  (quelmix-test-check (equal (quelmix-test-line 8) "STEP = 1")
                      (format "the quick fix applied: %s"
                              (quelmix-test-line 8)))
  (quelmix-test-check
   (quelmix-test-wait
    (lambda ()
      (let ((found (quelmix-test-diagnostics)))
        (and found (not (member "8:0 unknown-key" found)))))
    20)
   (format "its diagnostic is gone: %S" (quelmix-test-diagnostics)))

  ;; Formatting, applied to the buffer as lsp-mode applies it.
  (lsp-format-buffer)
  (quelmix-test-check (equal (quelmix-test-line 2) "SIZE     = 1920, 1080")
                      (format "formatted: %s" (quelmix-test-line 2)))
  (quelmix-test-check (and (equal (quelmix-test-line 3) "")
                           (equal (quelmix-test-line 4)
                                  "[register parameter]"))
                      "a blank line before each header")
  (set-buffer-modified-p nil)
  (ignore-errors (lsp-workspace-shutdown (car (lsp-workspaces))))
  (quelmix-test-finish))

;;; emacs_lsp_mode_test.el ends here
